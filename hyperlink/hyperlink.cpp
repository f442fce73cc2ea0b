#include "hyperlink.h"

#include "velloc/store/font.h"
#include "velloc/core/latebinding.h"
#include "velloc/core/units.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

using namespace velloc;

namespace linkwell {

namespace {
constexpr std::uint32_t HelpColor = 0x000040C0;

struct HelpLabel {
    int index;
    int left, top, width, height;
    QString text;
    bool colored;
};
} // namespace

const DispatchTable& Hyperlink::table()
{
    static const DispatchTable table = emptyInterface(QStringLiteral("_Hyperlink"),
                                                      Guid::literal("{A0369AC4-B6D8-11D3-901D-00207816FA15}"));
    return table;
}

QWidget* Hyperlink::createWidget()
{
    auto* face = new QWidget;
    Font::Description pageFont;
    pageFont.name = QStringLiteral("MS Sans Serif");
    pageFont.size = 8.25;
    Font::Description helpFont;
    helpFont.name = QStringLiteral("Tahoma");
    helpFont.size = 8.25;
    helpFont.weight = 700;

    chkEnabled = new QCheckBox(QStringLiteral("Enabled"), face);
    chkEnabled->setObjectName(QStringLiteral("chkEnabled"));
    chkEnabled->setGeometry(units::toPixels(60, 315, 2700, 285));
    chkEnabled->setFont(Font::create(pageFont)->toQFont());

    const QList<HelpLabel> help = {
        {0, 135, 810, 5655, 195, QStringLiteral("NOTE:   Enter the hyperlink you wish to use.  Formats are as follows:"), false},
        {1, 405, 1200, 3795, 195, QStringLiteral("Web address:    ") + ExampleWebAddress, true},
        {2, 405, 1455, 3645, 195, QStringLiteral("Mail address:     ") + ExampleMailAddress, true},
        {3, 405, 1695, 3675, 195, QStringLiteral("Network Drive:  f:\\MyNetworkDirectoryPath"), true},
        {5, 405, 1935, 3375, 195, QStringLiteral("Network Drive:  \\\\NetworkAliasName\\c\\"), true},
        {4, 405, 2190, 3390, 195, QStringLiteral("Local Drive:       c:\\MyLocalDirectoryPath"), true},
    };
    Label1 = QList<QPointer<QLabel>>(6);
    for (const HelpLabel& h : help) {
        auto* label = new QLabel(face);
        label->setObjectName(QStringLiteral("Label1"));
        label->setProperty("index", h.index);
        label->setTextFormat(Qt::PlainText);
        label->setFont(Font::create(helpFont)->toQFont());
        if (h.colored) {
            QPalette p = label->palette();
            p.setColor(QPalette::WindowText, units::toQColor(HelpColor));
            label->setPalette(p);
        }
        label->setText(h.text);
        label->setGeometry(units::toPixels(h.left, h.top, h.width, h.height));
        label->adjustSize();
        Label1[h.index] = label;
    }

    lblHyperLink = new QLabel(QStringLiteral("HyperLink:"), face);
    lblHyperLink->setObjectName(QStringLiteral("lblHyperLink"));
    lblHyperLink->setGeometry(units::toPixels(75, 2595, 2700, 240));
    lblHyperLink->setFont(Font::create(pageFont)->toQFont());

    txtHyperLink = new QLineEdit(face);
    txtHyperLink->setObjectName(QStringLiteral("txtHyperLink"));
    txtHyperLink->setGeometry(units::toPixels(90, 2850, 5325, 330));
    txtHyperLink->setFont(Font::create(pageFont)->toQFont());
    lblHyperLink->setBuddy(txtHyperLink);

    QWidget::setTabOrder(chkEnabled, txtHyperLink);
    // Both handlers mark the page changed whenever the box or the text changes, also when the
    // page itself fills them from the selection.
    QObject::connect(txtHyperLink, &QLineEdit::textChanged, face, [this] { setChanged(true); });
    QObject::connect(chkEnabled, &QCheckBox::stateChanged, face, [this] { setChanged(true); });
    return face;
}

Result<void> Hyperlink::selectionChanged()
{
    std::shared_ptr<Object> first = VELLOC_TRY(selectedControl(0));
    txtHyperLink->setText(VELLOC_TRY(VELLOC_TRY(latebound::get(*first, u"Hyperlink")).toString()));
    const std::int32_t enabled = VELLOC_TRY(VELLOC_TRY(latebound::get(*first, u"Enabled")).toI4());
    chkEnabled->setCheckState((enabled & 1) ? Qt::Checked : Qt::Unchecked);
    return {};
}

Result<void> Hyperlink::applyChanges()
{
    std::shared_ptr<Object> first = VELLOC_TRY(selectedControl(0));
    VELLOC_TRY_VOID(latebound::put(*first, u"Hyperlink", Variant::fromString(txtHyperLink->text())));
    // Only a ticked box is true; a greyed one counts as false.
    VELLOC_TRY_VOID(latebound::put(*first, u"Enabled", Variant::fromBool(chkEnabled->checkState() == Qt::Checked)));
    return {};
}

} // namespace linkwell
