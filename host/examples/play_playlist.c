/* A C host: the same as play_playlist.cpp through the C API.
 *   play_playlist_c "Demo Mix" */

#include <stdio.h>
#include <time.h>

#include "lumo/lumo.h"

static int fail(const char* what) {
    fprintf(stderr, "%s: %s\n", what, lumo_last_error());
    return 1;
}

static void pause_briefly(void) {
    struct timespec delay = {0, 50 * 1000 * 1000};
    nanosleep(&delay, NULL);
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: play_playlist_c PLAYLIST\n");
        return 2;
    }
    lumo_object* audio = NULL;
    if (lumo_create(NULL, &audio) < 0) return fail("create");

    /* InitialisePL takes its eleven arguments by reference. */
    enum { PROMPTED, TYPE, NAME, HOW, DRIVE, SERIAL, VOLUME, SHUFFLE, CDROMS, PLAYER_ERROR, FLAGS, COUNT };
    lumo_variant* arguments[COUNT];
    for (int i = 0; i < COUNT; ++i) arguments[i] = lumo_variant_new();
    lumo_variant_set_int32(arguments[TYPE], 0); /* a standard playlist */
    lumo_variant_set_string(arguments[NAME], argv[1]);
    lumo_variant_set_int32(arguments[SHUFFLE], 2); /* off */
    lumo_variant* result = lumo_variant_new();
    int status = 1, activated = 0, played = 0;
    if (lumo_call(audio, "InitialisePL", arguments, COUNT, result) < 0) {
        status = fail("InitialisePL");
        goto done;
    }
    lumo_variant_get_bool(result, &activated);
    if (!activated) {
        int32_t flags = 0;
        lumo_variant_get_int32(arguments[FLAGS], &flags);
        printf("not activated: playlist error flags %d\n", flags);
        goto done;
    }
    if (lumo_call(audio, "GetCurrentPlaylist", NULL, 0, result) < 0) {
        status = fail("GetCurrentPlaylist");
        goto done;
    }
    printf("activated %s\n", lumo_variant_get_string(result));
    if (lumo_call(audio, "DoPlay", NULL, 0, NULL) < 0) {
        status = fail("DoPlay");
        goto done;
    }
    for (int i = 0; i < 200 && !played; ++i) {
        int32_t state = 0;
        if (lumo_call(audio, "Playstate", NULL, 0, result) >= 0 && lumo_variant_get_int32(result, &state) >= 0)
            played = state == 3;
        pause_briefly();
    }
    lumo_call(audio, "DoStop", NULL, 0, NULL);
    lumo_call(audio, "DoTerminate", NULL, 0, NULL);
    printf(played ? "played\n" : "did not start playing\n");
    status = played ? 0 : 1;
done:
    lumo_variant_free(result);
    for (int i = 0; i < COUNT; ++i) lumo_variant_free(arguments[i]);
    lumo_release(audio);
    return status;
}
