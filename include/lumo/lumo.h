/* LUMO Audio Player from C (and from any language with a C foreign-function
 * interface): create an object by its ProgID, call its operations by name
 * with variant arguments, read the result and the by-reference arguments,
 * release the object. Link with -llumo (pkg-config LUMOAudioPlayer).
 *
 *   lumo_object* audio = NULL;
 *   if (lumo_create(NULL, &audio) < 0) { puts(lumo_last_error()); return 1; }
 *   lumo_variant* volume = lumo_variant_new();
 *   lumo_variant_set_int32(volume, 40);
 *   lumo_set(audio, "Volume", volume);
 *   lumo_call(audio, "DoPlay", NULL, 0, NULL);
 *   lumo_variant_free(volume);
 *   lumo_release(audio);
 *
 * Result codes are the component model's: negative means failure. Every
 * failing function leaves a sentence for a person in lumo_last_error(),
 * kept per thread until the next failing call on that thread. Objects must
 * be used on the thread that created them. */
#ifndef LUMO_LUMO_H
#define LUMO_LUMO_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define LUMO_API __attribute__((visibility("default")))
#else
#define LUMO_API
#endif

typedef int32_t lumo_result;
typedef struct lumo_object lumo_object;
typedef struct lumo_variant lumo_variant;

/* The ProgID lumo_create uses when given NULL. */
#define LUMO_PROGID "LUMOAudioPlayer.cLUMOAudio"

/* Value kinds (the classic automation numbering). */
enum lumo_type {
    LUMO_EMPTY = 0,
    LUMO_INT32 = 3,
    LUMO_DOUBLE = 5,
    LUMO_STRING = 8,
    LUMO_OBJECT = 9,
    LUMO_BOOL = 11
};

/* Result codes a caller may want to tell apart. */
#define LUMO_OK ((lumo_result)0)
#define LUMO_E_INVALIDARG ((lumo_result)0x80070057)
#define LUMO_E_CLASSNOTREG ((lumo_result)0x80040154)
#define LUMO_E_DLLNOTFOUND ((lumo_result)0x8004F002)
#define LUMO_E_UNKNOWNNAME ((lumo_result)0x80020006)
#define LUMO_E_TYPEMISMATCH ((lumo_result)0x80020005)
#define LUMO_E_BADPARAMCOUNT ((lumo_result)0x8002000E)
#define LUMO_E_EXCEPTION ((lumo_result)0x80020009)
#define LUMO_E_NOCONNECTION ((lumo_result)0x80040200)

/* Objects. prog_id NULL means LUMO_PROGID. The ProgID is looked up in the
 * user's registration ($XDG_DATA_HOME/lumo/classes), then the system's
 * ($XDG_DATA_DIRS/lumo/classes). */
LUMO_API lumo_result lumo_create(const char* prog_id, lumo_object** object);
LUMO_API void lumo_add_ref(lumo_object* object);
LUMO_API void lumo_release(lumo_object* object);

/* Calls an operation or reads a property by name (any case). arguments are
 * in their natural order; an argument the operation takes by reference is
 * converted to its type and holds the operation's value for it afterwards.
 * result may be NULL; it is set to Empty for an operation without one. */
LUMO_API lumo_result lumo_call(lumo_object* object, const char* name, lumo_variant* const* arguments,
                               size_t count, lumo_variant* result);
/* Assigns a property. */
LUMO_API lumo_result lumo_set(lumo_object* object, const char* name, const lumo_variant* value);
/* The current item (the extension _cLUMOAudioEx): position and length in
 * seconds (0 when nothing is open or the length is not known), seeking
 * (below 0 is 0, beyond the length is the end, an item that cannot seek
 * stays), and any field the media library knows: "Title", "Author",
 * "WM/AlbumTitle", "SourceURL", "Duration", "WM/Genre", ...; "" when none. */
LUMO_API lumo_result lumo_get_position(lumo_object* object, double* seconds);
LUMO_API lumo_result lumo_get_duration(lumo_object* object, double* seconds);
LUMO_API lumo_result lumo_seek(lumo_object* object, double seconds);
LUMO_API lumo_result lumo_get_current_item(lumo_object* object, const char* field, lumo_variant* value);

/* Events instead of polling. The callback gets the event's name
 * ("PlayStateChange" (state), "CurrentItemChange" (index, title),
 * "EndOfPlaylist" (), "Error" (code, description)) and its arguments, which
 * it may read but not keep, on the object's thread while that thread runs
 * its event loop: its own, or lumo_run_events for the given time. Events
 * come in the order things happened. A callback that returns non-zero, or
 * takes longer than two seconds, is dropped after that call. Unadvising a
 * cookie the object did not hand out gives LUMO_E_NOCONNECTION. */
typedef int (*lumo_event_callback)(void* user_data, const char* event, const lumo_variant* const* arguments,
                                   size_t count);
LUMO_API lumo_result lumo_advise(lumo_object* object, lumo_event_callback callback, void* user_data,
                                 uint32_t* cookie);
LUMO_API lumo_result lumo_unadvise(lumo_object* object, uint32_t cookie);
LUMO_API lumo_result lumo_run_events(lumo_object* object, int32_t milliseconds);

/* For a failed call: the position (0 = first) of the argument that did not
 * convert, or -1. */
LUMO_API int32_t lumo_last_error_argument(void);
LUMO_API const char* lumo_last_error(void);

/* Variants: made Empty, freed by their maker. Texts are UTF-8 and copied. */
LUMO_API lumo_variant* lumo_variant_new(void);
LUMO_API void lumo_variant_free(lumo_variant* variant);
LUMO_API enum lumo_type lumo_variant_type(const lumo_variant* variant);
LUMO_API void lumo_variant_set_empty(lumo_variant* variant);
LUMO_API void lumo_variant_set_int32(lumo_variant* variant, int32_t value);
LUMO_API void lumo_variant_set_double(lumo_variant* variant, double value);
/* Any non-zero value is true (stored as the interface's -1). */
LUMO_API void lumo_variant_set_bool(lumo_variant* variant, int value);
LUMO_API void lumo_variant_set_string(lumo_variant* variant, const char* text);
/* Takes a reference of its own. */
LUMO_API void lumo_variant_set_object(lumo_variant* variant, lumo_object* object);

/* Reading converts the way calls do (numbers round half to even, texts are
 * parsed); a value that does not convert gives LUMO_E_TYPEMISMATCH. */
LUMO_API lumo_result lumo_variant_get_int32(const lumo_variant* variant, int32_t* value);
LUMO_API lumo_result lumo_variant_get_double(const lumo_variant* variant, double* value);
/* 1 for true, 0 for false. */
LUMO_API lumo_result lumo_variant_get_bool(const lumo_variant* variant, int* value);
/* The text of the value, valid until the variant changes or is freed; NULL
 * for an object. */
LUMO_API const char* lumo_variant_get_string(lumo_variant* variant);
/* A new reference the caller releases, or NULL when the value is no object. */
LUMO_API lumo_object* lumo_variant_get_object(const lumo_variant* variant);

#ifdef __cplusplus
}
#endif

#endif
