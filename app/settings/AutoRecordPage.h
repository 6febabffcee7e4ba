// The settings page "Auto record": recording calls when the handset is lifted, when such a
// recording ends, and rejecting calls that rang too long.
#pragma once

#include <QWidget>

class QCheckBox;
class QGroupBox;
class QSpinBox;
struct Preferences;

class AutoRecordPage final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AutoRecordPage)

public:
    explicit AutoRecordPage(QWidget *parent = nullptr);

    void load(const Preferences &prefs);
    void store(Preferences &prefs) const;
    // Without voice support nothing on the page can be changed.
    void setVoiceSupported(bool supported);

    QCheckBox *autoRecordBox() const { return m_autoRecord; }
    QGroupBox *conditionsGroup() const { return m_conditions; }
    QSpinBox *discTimeBox() const { return m_discTime; }
    QCheckBox *rejectCallBox() const { return m_rejectCall; }
    QSpinBox *rejectRingsBox() const { return m_rejectRings; }

private:
    // The conditions follow the auto-record box.
    void cbAutoModeClick();

    QCheckBox *m_autoRecord;
    QGroupBox *m_conditions;
    QSpinBox *m_discTime;
    QCheckBox *m_rejectCall;
    QSpinBox *m_rejectRings;
};
