// Whether a recording's file holds a recording: read only, so that the catalogue tool may look
// at a data directory in use, and the recorder may decide whether a call leaves a row.
#pragma once

#include <QString>

enum class RecordingFileState
{
    Missing, // no such file
    Empty,   // 0 bytes
    NotWav,  // not a RIFF WAVE file with a format and a data chunk (a header cut short too)
    NoSound, // a WAV header whose data chunk holds no sample
    Sound,   // a WAV file with sound
};

RecordingFileState inspectRecordingFile(const QString &path);

// "is missing", "is empty", "is not a WAV file", "holds no sound"; empty for Sound.
QString recordingFileProblem(RecordingFileState state);
