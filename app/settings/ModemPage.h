// The settings page "Modem": the configured modem, its voice compression, the command time-out,
// the port's baud rate and flow control, and "Find modems".
#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
struct Preferences;

class ModemPage final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ModemPage)

public:
    explicit ModemPage(QWidget *parent = nullptr);

    // The model and port labels; without a modem "No modem detected" and "Com ".
    void showModem(bool configured, const QString &model, const QString &portText);
    // Fills the compression list and selects row (none when out of range).
    void setCompressions(const QStringList &lines, int row);
    void setTimeout(int seconds);
    void loadPortSettings(const Preferences &prefs);
    // Time-out, baud rate and flow control.
    void store(Preferences &prefs) const;

    QLabel *modelLabel() const { return m_model; }
    QLabel *portLabel() const { return m_port; }
    QComboBox *compressionList() const { return m_compressions; }
    QSpinBox *timeoutBox() const { return m_timeout; }
    QComboBox *baudRateList() const { return m_baudRate; }
    QComboBox *flowControlList() const { return m_flowControl; }
    QPushButton *findModemsButton() const { return m_findModems; }

signals:
    void findModemsClicked();

private:
    QLabel *m_model;
    QLabel *m_port;
    QComboBox *m_compressions;
    QSpinBox *m_timeout;
    QComboBox *m_baudRate;
    QComboBox *m_flowControl;
    QPushButton *m_findModems;
};
