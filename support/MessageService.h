// Every modal message, confirmation and text prompt of the program goes through this one
// service: a desktop session shows boxes, an unattended run writes them to standard error,
// and tests record them and answer as they choose.
#pragma once

#include <QString>
#include <functional>
#include <optional>

class MessageService
{
public:
    enum class Kind
    {
        Information,
        Warning,
        Error
    };

    virtual ~MessageService() = default;

    // A message with an OK button.
    virtual void showMessage(const QString &text, Kind kind = Kind::Information) = 0;
    // A Yes/No question; true for Yes.
    virtual bool confirm(const QString &text) = 0;
    // A text prompt; no value when cancelled.
    virtual std::optional<QString> askText(const QString &caption, const QString &prompt,
                                           const QString &initial) = 0;
};

// For runs nobody watches: each message becomes one line "message: <text>" on standard
// error and is answered with its default button; confirmations are answered Yes.
class UnattendedMessageService final : public MessageService
{
public:
    // Writes the line instead of standard error (the headless recorder marks it for the
    // journal with the message's kind).
    std::function<void(const QString &line, Kind kind)> writeLine;

    void showMessage(const QString &text, Kind kind) override;
    bool confirm(const QString &text) override;
    std::optional<QString> askText(const QString &caption, const QString &prompt,
                                   const QString &initial) override;

    // The text as one line: line breaks become spaces, runs of blanks are kept.
    static QString asOneLine(const QString &text);
};

// Messages of a desktop session that may be ending: they go to the interactive service
// until the session ends, then they are answered as in an unattended run, so that nothing
// holds up the program's exit.
class SessionMessageService final : public MessageService
{
public:
    explicit SessionMessageService(MessageService &interactive) : m_interactive(interactive) {}

    void setEnding() { m_ending = true; }
    bool ending() const { return m_ending; }

    void showMessage(const QString &text, Kind kind) override;
    bool confirm(const QString &text) override;
    std::optional<QString> askText(const QString &caption, const QString &prompt,
                                   const QString &initial) override;

private:
    MessageService &current() { return m_ending ? m_unattended : m_interactive; }

    MessageService &m_interactive;
    UnattendedMessageService m_unattended;
    bool m_ending = false;
};
