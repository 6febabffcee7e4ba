// The settings page "Monitor": when the live trace is drawn, how many points it shows and its
// colours.
#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QFrame;
class QPushButton;
struct Preferences;

class MonitorPage final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MonitorPage)

public:
    explicit MonitorPage(QWidget *parent = nullptr);

    void load(const Preferences &prefs);
    void store(Preferences &prefs) const;
    // Colours as the file keeps them (0x00BBGGRR).
    int backColor() const { return m_backColor; }
    int traceColor() const { return m_traceColor; }
    void setBackColor(int value);
    void setTraceColor(int value);

    QCheckBox *playTraceBox() const { return m_playTrace; }
    QCheckBox *recordTraceBox() const { return m_recordTrace; }
    QComboBox *pointsList() const { return m_points; }
    QPushButton *backgroundButton() const { return m_background; }
    QPushButton *traceButton() const { return m_trace; }
    QFrame *backgroundSwatch() const { return m_backSwatch; }
    QFrame *traceSwatch() const { return m_traceSwatch; }

signals:
    void backgroundClicked();
    void traceClicked();

private:
    void paintSwatch(QFrame *swatch, int value);

    QCheckBox *m_playTrace;
    QCheckBox *m_recordTrace;
    QComboBox *m_points;
    QPushButton *m_background;
    QPushButton *m_trace;
    QFrame *m_backSwatch;
    QFrame *m_traceSwatch;
    int m_backColor = 0;
    int m_traceColor = 65280;
};
