#pragma once
// The QtDBus side of the media controls (see mpris_service.h): the object
// registered at /org/mpris/MediaPlayer2 and its two adaptors, one per
// interface. They only hand each property and call to a PlayerLink; what a
// value is and what a call does is decided in mpris_state.h.

#include <QDBusAbstractAdaptor>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <optional>

#include "media_keys/mpris_state.h"

namespace lumo::media_keys::detail {

// What the adaptors need of the service.
class PlayerLink {
public:
    virtual ~PlayerLink() = default;
    // The state after a fresh look at the player; differences found are
    // announced as for a sample.
    virtual const MprisState& refreshed() = 0;
    // Empty when it was done, else what the player said went wrong.
    virtual QString act(Action action) = 0;
    // A Seek or SetPosition, decided on the state after a fresh look: the
    // failure as for act, and the new position when the item moved.
    struct SeekOutcome {
        QString failure;
        std::optional<qint64> position;
    };
    virtual SeekOutcome seekBy(qint64 offset) = 0;
    virtual SeekOutcome seekTo(const QDBusObjectPath& track, qint64 position) = 0;
    virtual void setVolume(double fraction) = 0;
    virtual void setShuffle(bool on) = 0;
    virtual void setLoopStatus(const QString& status) = 0;
};

// The registered object. QtDBus gives an adaptor's caller to the object the
// adaptor belongs to, so this is where the call context lives.
class MprisObject final : public QObject, public QDBusContext {
    Q_OBJECT
public:
    MprisObject() = default;
};

class RootAdaptor final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ no)
    Q_PROPERTY(bool CanRaise READ no)
    Q_PROPERTY(bool HasTrackList READ no)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ uriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ mimeTypes)

public:
    explicit RootAdaptor(MprisObject* object) : QDBusAbstractAdaptor(object) {}
    bool no() const { return false; }
    QString identity() const { return QString::fromLatin1(kIdentity); }
    QString desktopEntry() const { return QString::fromLatin1(kDesktopEntry); }
    QStringList uriSchemes() const { return supportedUriSchemes(); }
    QStringList mimeTypes() const { return supportedMimeTypes(); }

public Q_SLOTS:
    // The player has no window to raise, and the host decides when it ends.
    void Raise() {}
    void Quit() {}
};

class PlayerAdaptor final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(QString LoopStatus READ loopStatus WRITE setLoopStatus)
    Q_PROPERTY(double Rate READ rate WRITE setRate)
    Q_PROPERTY(bool Shuffle READ shuffle WRITE setShuffle)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(double MinimumRate READ rate)
    Q_PROPERTY(double MaximumRate READ rate)
    Q_PROPERTY(bool CanGoNext READ yes)
    Q_PROPERTY(bool CanGoPrevious READ yes)
    Q_PROPERTY(bool CanPlay READ yes)
    Q_PROPERTY(bool CanPause READ yes)
    Q_PROPERTY(bool CanSeek READ canSeek)
    Q_PROPERTY(bool CanControl READ yes)

public:
    PlayerAdaptor(MprisObject* object, PlayerLink& link) : QDBusAbstractAdaptor(object), object_(*object), link_(link) {}

    QString playbackStatus() const { return link_.refreshed().playbackStatus(); }
    QString loopStatus() const { return link_.refreshed().loopStatus(); }
    void setLoopStatus(const QString& status) { link_.setLoopStatus(status); }
    // The player plays at its own speed only.
    double rate() const { return 1.0; }
    void setRate(double) {}
    bool shuffle() const { return link_.refreshed().shuffle(); }
    void setShuffle(bool on) { link_.setShuffle(on); }
    QVariantMap metadata() const { return link_.refreshed().metadata(); }
    double volume() const { return link_.refreshed().volume(); }
    void setVolume(double fraction) { link_.setVolume(fraction); }
    qlonglong position() const { return link_.refreshed().position(); }
    bool canSeek() const { return link_.refreshed().canSeek(); }
    bool yes() const { return true; }

public Q_SLOTS:
    void Play() { act(Action::Play); }
    void Pause() { act(Action::Pause); }
    void PlayPause() { act(Action::PlayPause); }
    void Stop() { act(Action::Stop); }
    void Next() { act(Action::Next); }
    void Previous() { act(Action::Previous); }
    void Seek(qlonglong Offset) { answer(link_.seekBy(Offset)); }
    void SetPosition(const QDBusObjectPath& TrackId, qlonglong Position) { answer(link_.seekTo(TrackId, Position)); }
    // What plays is the host's choice.
    void OpenUri(const QString& Uri);

Q_SIGNALS:
    void Seeked(qlonglong Position);

private:
    void act(Action action);
    void answer(const PlayerLink::SeekOutcome& seeked);

    MprisObject& object_;
    PlayerLink& link_;
};

}  // namespace lumo::media_keys::detail
