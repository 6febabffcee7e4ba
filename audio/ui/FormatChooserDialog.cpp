// Filling the chooser's lists from the codec catalogue.
#include "FormatChooserDialog.h"

#include "audio/TdeCodec.h"
#include "audio/codecs/CodecLayer.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {

constexpr int FormatRole = Qt::UserRole;

// Same format: the header and the meaningful codec bytes agree.
bool sameFormat(const TdeWaveFormat &a, const TdeWaveFormat &b)
{
    const int used = 18 + a.ExtraSize();
    return a.CbSize() == b.CbSize() &&
           std::equal(a.Buffer().begin(), a.Buffer().begin() + used, b.Buffer().begin());
}

QString tagName(quint16 tag)
{
    std::string name;
    codecs::tagDetails(tag, name);
    return QString::fromStdString(name);
}

} // namespace

FormatChooserDialog::FormatChooserDialog(const TdeWaveFormat &start, const QString &title,
                                         QWidget *parent)
    : QDialog(parent), m_formats(new QListWidget(this)), m_attributes(new QListWidget(this)),
      m_start(start)
{
    setWindowTitle(title);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    auto *formatLabel = new QLabel(tr("&Format:"), this);
    formatLabel->setBuddy(m_formats);
    auto *attributesLabel = new QLabel(tr("&Attributes:"), this);
    attributesLabel->setBuddy(m_attributes);

    auto *layout = new QGridLayout(this);
    layout->addWidget(formatLabel, 0, 0);
    layout->addWidget(attributesLabel, 0, 1);
    layout->addWidget(m_formats, 1, 0);
    layout->addWidget(m_attributes, 1, 1);
    layout->addWidget(buttons, 2, 0, 1, 2);
    layout->setColumnStretch(1, 2);

    for (int i = 0; i < CodecCatalogue::count(); ++i) {
        for (quint16 tag : CodecCatalogue::Codec(i).Tags()) {
            auto *item = new QListWidgetItem(tagName(tag), m_formats);
            item->setData(FormatRole, tag);
        }
    }
    connect(m_formats, &QListWidget::currentRowChanged, this, &FormatChooserDialog::showTag);
    connect(m_attributes, &QListWidget::currentRowChanged, this,
            [this](int row) { m_ok->setEnabled(row >= 0); });
    connect(m_attributes, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    m_ok->setEnabled(false);
    selectFormat(start);
}

void FormatChooserDialog::selectFormat(const TdeWaveFormat &format)
{
    int tagRow = 0;
    for (int row = 0; row < m_formats->count(); ++row) {
        if (m_formats->item(row)->data(FormatRole).toUInt() == format.FormatTag())
            tagRow = row;
    }
    m_formats->setCurrentRow(tagRow);
}

void FormatChooserDialog::showTag(int row)
{
    m_attributes->clear();
    if (row < 0)
        return;
    const quint16 tag = quint16(m_formats->item(row)->data(FormatRole).toUInt());
    int startRow = -1;
    for (int i = 0; i < CodecCatalogue::count(); ++i) {
        const TdeCodec &codec = CodecCatalogue::Codec(i);
        for (int f = 0; f < codec.formatCount(); ++f) {
            const TdeWaveFormat format = codec.Format(f).Format();
            if (format.FormatTag() != tag)
                continue;
            auto *item = new QListWidgetItem(codec.Format(f).Text, m_attributes);
            item->setData(FormatRole, format.toBytes());
            if (sameFormat(format, m_start))
                startRow = m_attributes->count() - 1;
        }
    }
    // A format the codecs accept but do not list (another rate) is offered first.
    if (startRow < 0 && m_start.FormatTag() == tag && !m_start.FormatDescription().isEmpty()) {
        auto *item =
            new QListWidgetItem(m_start.FormatDescription().section(QStringLiteral(": "), 1));
        item->setData(FormatRole, m_start.toBytes());
        m_attributes->insertItem(0, item);
        startRow = 0;
    }
    m_attributes->setCurrentRow(startRow >= 0 ? startRow : 0);
}

std::optional<TdeWaveFormat> FormatChooserDialog::selectedFormat() const
{
    const QListWidgetItem *item = m_attributes->currentItem();
    if (!item)
        return std::nullopt;
    TdeWaveFormat format;
    format.Buffer().fill(0);
    format.loadFromBytes(item->data(FormatRole).toByteArray());
    return format;
}
