#include "velloc/hosting/standardfontpage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace velloc {

const ClassInfo& StandardFontPage::classInfo()
{
    static const ClassInfo info = [] {
        ClassInfo c;
        c.name = QStringLiteral("StandardFont");
        c.clsid = Clsid;
        c.propertyPage = true;
        c.create = [] { return std::make_shared<StandardFontPage>(); };
        return c;
    }();
    return info;
}

const DispatchTable& StandardFontPage::dispatch() const
{
    static const DispatchTable table = emptyInterface(QStringLiteral("IStandardFontPage"), Clsid);
    return table;
}

QWidget* StandardFontPage::createEditor()
{
    auto* editor = new QWidget;
    auto* layout = new QGridLayout(editor);
    layout->setContentsMargins(0, 0, 0, 0);
    m_name = new QComboBox(editor);
    m_name->setObjectName(QStringLiteral("cboFont"));
    m_name->setEditable(true);
    m_name->addItems(QFontDatabase::families());
    m_size = new QComboBox(editor);
    m_size->setObjectName(QStringLiteral("cboSize"));
    m_size->setEditable(true);
    for (const char* size : {"8", "8.25", "9", "9.75", "10", "11", "12", "14", "16", "18", "20", "24", "28", "36", "48", "72"})
        m_size->addItem(QLatin1String(size));
    m_bold = new QCheckBox(QStringLiteral("&Bold"), editor);
    m_italic = new QCheckBox(QStringLiteral("&Italic"), editor);
    m_underline = new QCheckBox(QStringLiteral("&Underline"), editor);
    m_strikethrough = new QCheckBox(QStringLiteral("Stri&keout"), editor);
    m_bold->setObjectName(QStringLiteral("chkBold"));
    m_italic->setObjectName(QStringLiteral("chkItalic"));
    m_underline->setObjectName(QStringLiteral("chkUnderline"));
    m_strikethrough->setObjectName(QStringLiteral("chkStrikeout"));
    m_sample = new QLabel(QStringLiteral("AaBbYyZz"), editor);
    m_sample->setObjectName(QStringLiteral("lblSample"));
    m_sample->setAlignment(Qt::AlignCenter);
    m_sample->setFrameShape(QFrame::Box);
    m_sample->setMinimumHeight(48);

    auto* nameLabel = new QLabel(QStringLiteral("&Font:"), editor);
    nameLabel->setBuddy(m_name);
    auto* sizeLabel = new QLabel(QStringLiteral("&Size:"), editor);
    sizeLabel->setBuddy(m_size);
    layout->addWidget(nameLabel, 0, 0);
    layout->addWidget(sizeLabel, 0, 1);
    layout->addWidget(m_name, 1, 0);
    layout->addWidget(m_size, 1, 1);
    layout->addWidget(m_bold, 2, 0);
    layout->addWidget(m_italic, 2, 1);
    layout->addWidget(m_underline, 3, 0);
    layout->addWidget(m_strikethrough, 3, 1);
    layout->addWidget(m_sample, 4, 0, 1, 2);

    QObject::connect(m_name, &QComboBox::currentTextChanged, editor, [this] { picked(); });
    QObject::connect(m_size, &QComboBox::currentTextChanged, editor, [this] { picked(); });
    for (QCheckBox* box : {m_bold, m_italic, m_underline, m_strikethrough})
        QObject::connect(box, &QCheckBox::toggled, editor, [this] { picked(); });
    return editor;
}

void StandardFontPage::picked()
{
    if (isFilling())
        return;
    Font::Description d = m_shown;
    const QString name = m_name->currentText().trimmed();
    if (!name.isEmpty())
        d.name = name;
    bool ok = false;
    const double size = m_size->currentText().trimmed().toDouble(&ok);
    if (ok && size > 0 && size <= 2048)
        d.size = size;
    // Only a change of the bold box moves the weight; a shown weight of 500 stays 500.
    if (m_bold->isChecked() != (m_shown.weight >= 600))
        d.weight = m_bold->isChecked() ? 700 : 400;
    d.italic = m_italic->isChecked();
    d.underline = m_underline->isChecked();
    d.strikethrough = m_strikethrough->isChecked();
    auto font = Font::create(d);
    m_sample->setFont(font->toQFont());
    edit(Variant::fromObject(font));
}

void StandardFontPage::showValue(const Variant& value)
{
    const auto font = value.objectAs<Font>();
    m_shown = font ? font->description() : Font::Description();
    m_name->setCurrentText(m_shown.name);
    m_size->setCurrentText(QString::number(m_shown.size));
    m_bold->setChecked(m_shown.weight >= 600);
    m_italic->setChecked(m_shown.italic);
    m_underline->setChecked(m_shown.underline);
    m_strikethrough->setChecked(m_shown.strikethrough);
    m_sample->setFont(Font::create(m_shown)->toQFont());
    const bool any = font != nullptr;
    for (QWidget* w : std::initializer_list<QWidget*> {m_name, m_size, m_bold, m_italic, m_underline, m_strikethrough})
        w->setEnabled(any);
}

} // namespace velloc
