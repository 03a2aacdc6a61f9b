#pragma once
// The player host on the desktop's session bus, so that media keys, the
// sound menu and other MPRIS clients show and control the process's player:
// the bus name org.mpris.MediaPlayer2.lumo (org.mpris.MediaPlayer2.lumo.
// instance<pid> when another process holds it) with the object
// /org/mpris/MediaPlayer2 and its two interfaces, org.mpris.MediaPlayer2 and
// org.mpris.MediaPlayer2.Player. What it shows and does is worked out in
// mpris_state.h; this is the QtDBus layer over it.
//
// The service runs while the player host is loaded: AudioPlayer() starts it
// after the load, unloadAudioPlayer() (and so DoTerminate) stops it and
// gives the name back; its bus connection stays for the next load. It stays
// off when the "LUMO Player" / "Desktop" / "MediaKeys" setting says so, when
// there is no session bus (DBUS_SESSION_BUS_ADDRESS unset or nobody
// answering there) or when no name can be had: no error, no message box,
// at most one line in the error log.
//
// Threads and event loops. QtDBus reads the bus on a thread of its own and
// hands each incoming call to the thread that started the service (the
// host's), where it runs when that thread's event loop runs: Qt's
// (exec(), processEvents()) or GLib's default main context, which Qt's
// event dispatcher shares on the main thread. A host that runs neither
// serves the desktop only while it waits in one (lumo-host does during
// :sleep and :wait). Nothing here blocks the host's thread but connecting
// and taking the name when the service starts. The player is sampled every
// 250 ms on that thread, and PropertiesChanged carries what differs from
// the last sample. Position is read from the player at each Get and is
// never announced; after Seek or SetPosition moves the item, Seeked gives
// the new position.

#include <QString>

namespace lumo::media_keys {

// Starts the service if it does not run; see above for when it stays off.
void startDesktopService();
// Stops it if it runs.
void stopDesktopService();
// The bus name the service holds; empty when it does not run.
QString desktopServiceName();
// After the host itself moved the item: Seeked with the new position.
void announceHostSeek();

}  // namespace lumo::media_keys
