// Record and Stop: the output file, the modem's voice commands, the voice stream, the
// elapsed time, and at Stop the catalogue row, the file's final name and the modem re-armed.
#pragma once

#include "modem/voice/VoiceReceiver.h"

#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QObject>
#include <QTimer>
#include <memory>

struct AppContext;
class Catalogue;
class ModemWatchdog;
struct CallJournal;
class QAction;
class TdeRIFFAudioWriter;
class TfmModem;
class TfmOrv;

class RecordingControl final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecordingControl)

public:
    RecordingControl(AppContext &context, TfmOrv &window, TfmModem &modem, Catalogue &catalogue);
    ~RecordingControl() override;

    void acRecordExecute();
    // The recording half of Stop; nothing happens unless a recording runs.
    void acStopExecute();
    bool recording() const { return m_writer != nullptr; }

    // A "Recorded.wav" left by a recording that was cut off (a crash, a power cut, a killed
    // program) is completed, catalogued and renamed before anything can replace it.
    void recoverInterruptedRecording();

    QString RecordFileName() const;
    ModemWatchdog &watchdog() { return *m_watchdog; }

private slots:
    void Timer2Timer();

private:
    bool PrepareRecordFile();
    bool StartReceive();
    void AbortRecording();
    void ResetRecordControls();
    void disableControlsForRecording();
    bool sendTwice(const QString &command, const QString &logText, const QString &expected);
    void failStart(const QString &message);
    void voiceData(const QByteArray &received);
    bool skipConnect(QByteArray &bytes);
    void endAfterFault(const QString &message);
    void freeWriter();
    bool catalogueRecording(const QDateTime &start, int seconds, const QString &caller,
                            const QString &folderId);
    void recoverRenamedRecording(const CallJournal &journal);
    QString journalPath() const;
    void keepAside(const QString &path);
    void reopenModem();
    void message(const QString &text);

    AppContext &m_ctx;
    TfmOrv &m_window;
    TfmModem &m_modem;
    Catalogue &m_catalogue;
    std::unique_ptr<ModemWatchdog> m_watchdog;
    VoiceReceiver m_receiver;
    QFile m_file;
    std::unique_ptr<TdeRIFFAudioWriter> m_writer;
    QDateTime RecordStart;
    int m_ticks = 0;
    int m_refreshTicks = 0;
    QTimer m_timer2;
    QHash<QAction *, bool> m_savedStates;
    bool m_stopping = false;
    bool m_modemLost = false; // the device went away since the port was last opened
    bool m_awaitConnect = false;
    QByteArray m_prefix;
};
