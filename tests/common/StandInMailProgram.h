// A stand-in xdg-email put first on PATH while the object lives: each run records the
// arguments it was given (one file per run) and ends with the exit status the test chose.
#pragma once

#include <QDir>
#include <QFile>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>

class StandInMailProgram
{
public:
    StandInMailProgram() : m_oldPath(qgetenv("PATH"))
    {
        QFile script(m_dir.filePath("xdg-email"));
        script.open(QIODevice::WriteOnly);
        script.write("#!/bin/sh\n"
                     "dir=$(dirname \"$0\")\n"
                     "n=$(ls \"$dir\" | grep -c '^call-')\n"
                     "f=\"$dir/call-$((n + 1))\"\n"
                     ": > \"$f\"\n"
                     "for a in \"$@\"; do printf '%s\\0' \"$a\" >> \"$f\"; done\n"
                     "[ -f \"$dir/delay\" ] && sleep \"$(cat \"$dir/delay\")\"\n"
                     "exit $(cat \"$dir/exit-status\" 2>/dev/null || echo 0)\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", m_dir.path().toLocal8Bit() + ':' + m_oldPath);
    }
    ~StandInMailProgram() { qputenv("PATH", m_oldPath); }
    StandInMailProgram(const StandInMailProgram &) = delete;
    StandInMailProgram &operator=(const StandInMailProgram &) = delete;

    void setExitStatus(int status)
    {
        QFile file(m_dir.filePath("exit-status"));
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray::number(status));
    }

    // Each run takes this long before it ends (a mail program the user is still busy with).
    void setDelay(const QByteArray &seconds)
    {
        QFile file(m_dir.filePath("delay"));
        file.open(QIODevice::WriteOnly);
        file.write(seconds);
    }

    // The arguments of each run, in the order of the runs.
    QList<QStringList> runs() const
    {
        QList<QStringList> all;
        for (int n = 1;; ++n) {
            QFile file(m_dir.filePath(QStringLiteral("call-%1").arg(n)));
            if (!file.open(QIODevice::ReadOnly))
                return all;
            QStringList arguments;
            const QByteArray content = file.readAll();
            for (const QByteArray &argument : content.split('\0'))
                arguments << QString::fromUtf8(argument);
            arguments.removeLast(); // after the last separator
            all << arguments;
        }
    }

private:
    QTemporaryDir m_dir;
    QByteArray m_oldPath;
};
