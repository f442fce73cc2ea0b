#include "velloc/hosting/standardcolorpage.h"

#include "velloc/core/units.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>

namespace velloc {

const ClassInfo& StandardColorPage::classInfo()
{
    static const ClassInfo info = [] {
        ClassInfo c;
        c.name = QStringLiteral("StandardColor");
        c.clsid = Clsid;
        c.propertyPage = true;
        c.create = [] { return std::make_shared<StandardColorPage>(); };
        return c;
    }();
    return info;
}

const DispatchTable& StandardColorPage::dispatch() const
{
    static const DispatchTable table = emptyInterface(QStringLiteral("IStandardColorPage"), Clsid);
    return table;
}

const QList<StandardColorPage::NamedColor>& StandardColorPage::standardColors()
{
    static const QList<NamedColor> colors = {
        {QStringLiteral("Black"), 0x00000000},      {QStringLiteral("Blue"), 0x00FF0000},
        {QStringLiteral("Cyan"), 0x00FFFF00},       {QStringLiteral("Green"), 0x0000FF00},
        {QStringLiteral("Magenta"), 0x00FF00FF},    {QStringLiteral("Red"), 0x000000FF},
        {QStringLiteral("Yellow"), 0x0000FFFF},     {QStringLiteral("White"), 0x00FFFFFF},
        {QStringLiteral("Gray"), 0x00808080},       {QStringLiteral("Light Gray"), 0x00C0C0C0},
        {QStringLiteral("Dark Blue"), 0x00800000},  {QStringLiteral("Dark Cyan"), 0x00808000},
        {QStringLiteral("Dark Green"), 0x00008000}, {QStringLiteral("Dark Magenta"), 0x00800080},
        {QStringLiteral("Dark Red"), 0x00000080},   {QStringLiteral("Brown"), 0x00008080},
    };
    return colors;
}

const QList<StandardColorPage::NamedColor>& StandardColorPage::systemColors()
{
    static const QList<NamedColor> colors = {
        {QStringLiteral("Scroll Bars"), 0x80000000},          {QStringLiteral("Desktop"), 0x80000001},
        {QStringLiteral("Active Title Bar"), 0x80000002},     {QStringLiteral("Inactive Title Bar"), 0x80000003},
        {QStringLiteral("Menu Bar"), 0x80000004},             {QStringLiteral("Window Background"), 0x80000005},
        {QStringLiteral("Window Frame"), 0x80000006},         {QStringLiteral("Menu Text"), 0x80000007},
        {QStringLiteral("Window Text"), 0x80000008},          {QStringLiteral("Active Title Bar Text"), 0x80000009},
        {QStringLiteral("Active Border"), 0x8000000A},        {QStringLiteral("Inactive Border"), 0x8000000B},
        {QStringLiteral("Application Workspace"), 0x8000000C}, {QStringLiteral("Highlight"), 0x8000000D},
        {QStringLiteral("Highlight Text"), 0x8000000E},       {QStringLiteral("Button Face"), 0x8000000F},
        {QStringLiteral("Button Shadow"), 0x80000010},        {QStringLiteral("Disabled Text"), 0x80000011},
        {QStringLiteral("Button Text"), 0x80000012},          {QStringLiteral("Inactive Title Bar Text"), 0x80000013},
        {QStringLiteral("Button Highlight"), 0x80000014},     {QStringLiteral("Button Dark Shadow"), 0x80000015},
        {QStringLiteral("Button Light Shadow"), 0x80000016},  {QStringLiteral("ToolTip Text"), 0x80000017},
        {QStringLiteral("ToolTip"), 0x80000018},
    };
    return colors;
}

static QIcon swatch(std::uint32_t value)
{
    QPixmap pixmap(16, 12);
    pixmap.fill(units::toQColor(value));
    QPainter p(&pixmap);
    p.setPen(Qt::black);
    p.drawRect(0, 0, 15, 11);
    return QIcon(pixmap);
}

QWidget* StandardColorPage::createEditor()
{
    auto* editor = new QWidget;
    auto* layout = new QGridLayout(editor);
    layout->setContentsMargins(0, 0, 0, 0);
    m_set = new QComboBox(editor);
    m_set->setObjectName(QStringLiteral("cboColorSet"));
    m_set->addItems({QStringLiteral("Standard Colors"), QStringLiteral("Windows System Colors")});
    m_colors = new QListWidget(editor);
    m_colors->setObjectName(QStringLiteral("lstColors"));
    m_value = new QLineEdit(editor);
    m_value->setObjectName(QStringLiteral("txtColor"));
    auto* setLabel = new QLabel(QStringLiteral("Color &Set:"), editor);
    setLabel->setBuddy(m_set);
    auto* valueLabel = new QLabel(QStringLiteral("&Value:"), editor);
    valueLabel->setBuddy(m_value);
    layout->addWidget(setLabel, 0, 0);
    layout->addWidget(m_set, 0, 1);
    layout->addWidget(m_colors, 1, 0, 1, 2);
    layout->addWidget(valueLabel, 2, 0);
    layout->addWidget(m_value, 2, 1);
    fillColors(false);

    QObject::connect(m_set, &QComboBox::currentIndexChanged, editor, [this](int index) { fillColors(index == 1); });
    QObject::connect(m_colors, &QListWidget::currentItemChanged, editor, [this](QListWidgetItem* item) {
        if (!item || isFilling())
            return;
        const auto value = std::uint32_t(item->data(Qt::UserRole).toUInt());
        const Variant picked = Variant::fromI4(std::int32_t(value));
        m_value->setText(PropertyEditor::of(currentType()).display(currentType(), picked));
        edit(picked);
    });
    QObject::connect(m_value, &QLineEdit::textEdited, editor, [this](const QString& text) {
        if (Result<Variant> value = PropertyEditor::of(currentType()).parse(currentType(), text))
            edit(std::move(*value));
    });
    return editor;
}

void StandardColorPage::fillColors(bool system)
{
    const QSignalBlocker block(m_colors);
    m_colors->clear();
    for (const NamedColor& c : system ? systemColors() : standardColors()) {
        auto* item = new QListWidgetItem(swatch(c.value), c.name, m_colors);
        item->setData(Qt::UserRole, uint(c.value));
    }
    m_colors->setCurrentRow(-1);
}

void StandardColorPage::showValue(const Variant& value)
{
    const Result<std::int32_t> number = value.toI4();
    if (value.isEmpty() || !number) {
        m_value->clear();
        m_colors->setCurrentRow(-1);
        return;
    }
    const auto color = std::uint32_t(number.value());
    const bool system = (color & 0xFF000000u) == 0x80000000u;
    m_set->setCurrentIndex(system ? 1 : 0);
    fillColors(system);
    const QList<NamedColor>& list = system ? systemColors() : standardColors();
    for (qsizetype i = 0; i < list.size(); ++i)
        if (list[i].value == color)
            m_colors->setCurrentRow(int(i));
    m_value->setText(PropertyEditor::forKind(ValueKind::Color).display(currentType(), value));
}

} // namespace velloc
