#include "linkwelltxt.h"

#include "frmabout.h"
#include "hyperlink.h"
#include "linkface.h"
#include "urllabel.h"

#include "velloc/hosting/services.h"
#include "velloc/hosting/standardcolorpage.h"
#include "velloc/hosting/standardfontpage.h"
#include "velloc/core/units.h"

#include <QObject>

using namespace velloc;

namespace linkwell {

namespace {
const QSize LabelPosition {165, 75}; // twips inside the control
const QSize LabelDesignSize {2595, 195};

Result<std::uint32_t> checkedColor(std::uint32_t color)
{
    if (!units::isValidOleColor(color))
        return Error(errc::InvalidPropertyValue,
                     QStringLiteral("Invalid property value: &H%1& is not a colour")
                         .arg(QString::number(color, 16).toUpper().rightJustified(8, QLatin1Char('0'))));
    return color;
}

} // namespace

LinkwellTxt::LinkwellTxt()
{
    setExtent(DesignSize);
}

LinkwellTxt::~LinkwellTxt()
{
    if (m_lblURL) {
        m_lblURL->setMouseHandler({});
        m_lblURL->setClickHandler({});
        if (auto* face = dynamic_cast<LinkFace*>(m_lblURL->parentWidget()))
            face->setActivateHandler({});
    }
}

QWidget* LinkwellTxt::createWidget()
{
    // The part of the face the label does not cover is left to the host's background.
    auto* face = new LinkFace;
    face->resize(units::toPixels(DesignSize));

    auto* label = new UrlLabel(face);
    label->setObjectName(QStringLiteral("lblURL"));
    label->setGeometry(units::toPixels(LabelPosition.width(), LabelPosition.height(), LabelDesignSize.width(),
                                       LabelDesignSize.height()));
    label->setForeColor(DefaultForeColor);
    label->setBackColor(DefaultBackColor);
    velloc::Font::Description d;
    d.name = QStringLiteral("MS Sans Serif");
    d.size = 8.25;
    d.weight = 400;
    d.underline = true;
    label->setFontObject(velloc::Font::create(d));
    label->setCaption(DefaultHyperlink);
    label->show();
    label->setMouseHandler([this](UrlLabel::MouseAction action, int button, int shift, float x, float y) {
        const DispId event = action == UrlLabel::MouseAction::Down ? events::MouseDown
            : action == UrlLabel::MouseAction::Move                ? events::MouseMove
                                                                   : events::MouseUp;
        labelMouse(event, button, shift, x, y);
    });
    label->setClickHandler([this] { labelClicked(); });
    // Enter or Space on the focused control opens the link as a click does; no mouse event is
    // raised for a key.
    face->setLabel(label);
    face->setActivateHandler([this] { labelClicked(); });
    m_lblURL = label;
    return face;
}

UrlLabel* LinkwellTxt::lblURL()
{
    if (!m_lblURL)
        widget();
    return m_lblURL;
}

namespace {
// Holds a control until the event loop deletes it.
class DeferredRelease final : public QObject {
public:
    explicit DeferredRelease(std::shared_ptr<Object> object) : m_object(std::move(object)) {}

private:
    std::shared_ptr<Object> m_object;
};

// The label's events run inside the label's own mouse handling. A host that lets go of the
// control from its handler must not have the label destroyed under that handling: the last
// reference is then dropped when control is back in the event loop. (Not through a posted
// call: one still pending at shutdown would destroy the widgets while Qt holds its event lock.)
void releaseAfterEvent(std::shared_ptr<Object> keepAlive)
{
    if (keepAlive.use_count() == 1)
        (new DeferredRelease(std::move(keepAlive)))->deleteLater();
}
} // namespace

void LinkwellTxt::labelMouse(DispId event, int button, int shift, float x, float y)
{
    std::shared_ptr<Object> keepAlive = weak_from_this().lock();
    // The host gets copies: what its handler writes back changes nothing here.
    Variant args[] = {Variant::fromI2(std::int16_t(button)), Variant::fromI2(std::int16_t(shift)), Variant::fromR4(x),
                      Variant::fromR4(y)};
    fireEvent(event, args);
    releaseAfterEvent(std::move(keepAlive));
}

void LinkwellTxt::labelClicked()
{
    std::shared_ptr<Object> keepAlive = weak_from_this().lock();
    fireEvent(events::Click);
    // The Click handler may have changed the caption: that is the address opened. An empty one
    // names nothing, not the folder the program runs in.
    if (m_lblURL && !m_lblURL->caption().trimmed().isEmpty())
        services::openDocument(m_lblURL->caption());
    releaseAfterEvent(std::move(keepAlive));
}

Result<void> LinkwellTxt::initProperties()
{
    // A new instance keeps the face it was made with.
    return {};
}

QList<Guid> LinkwellTxt::pages()
{
    return {StandardColorPage::Clsid, StandardFontPage::Clsid, Hyperlink::Clsid};
}

QList<Guid> LinkwellTxt::propertyPages() const
{
    return pages();
}

std::uint32_t LinkwellTxt::BackColor()
{
    return lblURL()->backColor();
}

Result<void> LinkwellTxt::setBackColor(std::uint32_t New_BackColor)
{
    return putProperty(dispids::BackColor, Variant::fromI4(std::int32_t(New_BackColor)));
}

Result<void> LinkwellTxt::storeBackColor(std::uint32_t New_BackColor)
{
    lblURL()->setBackColor(VELLOC_TRY(checkedColor(New_BackColor)));
    return {};
}

std::uint32_t LinkwellTxt::ForeColor()
{
    return lblURL()->foreColor();
}

Result<void> LinkwellTxt::setForeColor(std::uint32_t New_ForeColor)
{
    return putProperty(dispids::ForeColor, Variant::fromI4(std::int32_t(New_ForeColor)));
}

Result<void> LinkwellTxt::storeForeColor(std::uint32_t New_ForeColor)
{
    lblURL()->setForeColor(VELLOC_TRY(checkedColor(New_ForeColor)));
    return {};
}

std::shared_ptr<velloc::Font> LinkwellTxt::Font()
{
    return lblURL()->fontObject();
}

Result<void> LinkwellTxt::setFont(std::shared_ptr<velloc::Font> New_Font)
{
    return putProperty(dispids::Font, Variant::fromObject(std::move(New_Font)));
}

Result<void> LinkwellTxt::storeFont(std::shared_ptr<velloc::Font> New_Font)
{
    if (!New_Font)
        return Error(errc::ObjectRequired, QStringLiteral("Font needs a font object, not Nothing"));
    lblURL()->setFontObject(std::move(New_Font));
    return {};
}

QString LinkwellTxt::Hyperlink()
{
    return lblURL()->caption();
}

Result<void> LinkwellTxt::setHyperlink(const QString& New_Hyperlink)
{
    return putProperty(dispids::Hyperlink, Variant::fromString(New_Hyperlink));
}

Result<void> LinkwellTxt::storeHyperlink(const QString& New_Hyperlink)
{
    lblURL()->setCaption(New_Hyperlink);
    return {};
}

bool LinkwellTxt::Enabled()
{
    return lblURL()->isEnabled();
}

Result<void> LinkwellTxt::setEnabled(bool New_Enabled)
{
    return putProperty(dispids::Enabled, Variant::fromBool(New_Enabled));
}

Result<void> LinkwellTxt::storeEnabled(bool New_Enabled)
{
    lblURL()->setEnabled(New_Enabled);
    return {};
}

Result<Variant> LinkwellTxt::About()
{
    frmAbout::showModal(widget());
    return Variant();
}

} // namespace linkwell
