// The caller-ID pop-up. The caller text comes from the telephone line, so it is shown as
// plain text and elided to the label's width.
#include "TfmCallerID.h"

#include "modem/TfmModem.h"
#include "support/Waits.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace {
// A telephone handset, drawn so that no image file is needed.
QPixmap phoneIcon()
{
    QPixmap pixmap(28, 26);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    QPainterPath handset;
    handset.addRoundedRect(QRectF(2, 3, 24, 7), 3.5, 3.5);
    p.drawPath(handset);
    p.drawRoundedRect(QRectF(5, 14, 18, 10), 2, 2);
    p.drawRect(QRectF(11, 9, 6, 6));
    p.setBrush(Qt::white);
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 3; ++col)
            p.drawEllipse(QPointF(9.5 + col * 4.5, 17 + row * 4), 1.1, 1.1);
    }
    return pixmap;
}
} // namespace

TfmCallerID::TfmCallerID(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus)
{
    setObjectName(QStringLiteral("fmCallerID"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(152, 64);

    auto *image = new QLabel(this);
    image->setPixmap(phoneIcon());
    image->setGeometry(8, 11, 28, 26);

    QFont bold = font();
    bold.setBold(true);
    m_label1 = new QLabel(QStringLiteral("INCOMING CALL"), this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setFont(bold);
    m_label1->setTextFormat(Qt::PlainText);
    // Wider than the text needs with the classic font, so that larger desktop fonts fit.
    m_label1->setGeometry(40, 16, 109, 17);
    m_label2 = new QLabel(this);
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_label2->setFont(bold);
    m_label2->setTextFormat(Qt::PlainText);
    m_label2->setGeometry(40, 32, 105, 17);
    m_nameLabel = new QLabel(this);
    m_nameLabel->setObjectName(QStringLiteral("CallerName"));
    m_nameLabel->setTextFormat(Qt::PlainText);
    m_nameLabel->setGeometry(40, 48, 105, 17);
    m_nameLabel->hide();

    connect(&m_tmShow, &QTimer::timeout, this, &TfmCallerID::tmShowTimer);
}

void TfmCallerID::attach(TfmModem &modem)
{
    connect(&modem, &TfmModem::callerIdShown, this, &TfmCallerID::showCaller);
    connect(&modem, &TfmModem::callerIdHidden, this, &TfmCallerID::hideCaller);
}

void TfmCallerID::showCaller(const QString &text)
{
    m_text = text;
    const QFontMetrics metrics(m_label2->font());
    m_label2->setText(metrics.elidedText(text, Qt::ElideRight, m_label2->width()));
    // A known caller's name takes a line of its own under the number.
    m_name = nameOf ? nameOf(text) : QString();
    m_nameLabel->setText(
        QFontMetrics(m_nameLabel->font()).elidedText(m_name, Qt::ElideRight, m_nameLabel->width()));
    m_nameLabel->setVisible(!m_name.isEmpty());
    setFixedSize(152, m_name.isEmpty() ? 64 : 72);
    if (!isVisible())
        show();
}

void TfmCallerID::hideCaller()
{
    // The timer keeps counting; it hides the already hidden window at its last tick.
    hide();
}

QString TfmCallerID::callerText() const
{
    return m_text;
}

void TfmCallerID::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    move(area.x() + area.width() - 200, area.y() + area.height() - 40);
    m_steps = 0;
    m_tmShow.start(Waits::scaledMs(TickMs));
}

void TfmCallerID::tmShowTimer()
{
    ++m_steps;
    if (m_steps <= SlideTicks)
        move(x(), y() - SlideStep);
    if (m_steps >= HideTick) {
        m_steps = 0;
        m_tmShow.stop();
        hide();
    }
}
