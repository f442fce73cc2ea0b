#pragma once

#include "velloc/hosting/control.h"
#include "velloc/core/module.h"

#include <QPointer>

#include <cstdint>

namespace linkwell {

class UrlLabel;

namespace dispids {
inline constexpr velloc::DispId Enabled = 0x68030000;
inline constexpr velloc::DispId Hyperlink = 0x68030001;
inline constexpr velloc::DispId ForeColor = 0x68030002;
inline constexpr velloc::DispId BackColor = 0x68030003;
inline constexpr velloc::DispId Font = velloc::dispid::Font;
inline constexpr velloc::DispId About = velloc::dispid::AboutBox;
} // namespace dispids

namespace events {
inline constexpr velloc::DispId Click = 1;
inline constexpr velloc::DispId KeyDown = 2;
inline constexpr velloc::DispId KeyPress = 3;
inline constexpr velloc::DispId KeyUp = 4;
inline constexpr velloc::DispId MouseDown = 5;
inline constexpr velloc::DispId MouseMove = 6;
inline constexpr velloc::DispId MouseUp = 7;
} // namespace events

// The hyperlink control: one label, lblURL, whose caption is both the text shown and the
// address a click opens. Every property passes through to the label; the control keeps no
// state of its own.
class LinkwellTxt final : public velloc::Control {
public:
    static constexpr velloc::Guid Clsid = velloc::Guid::literal("{A0369AC2-B6D8-11D3-901D-00207816FA15}");
    // The maker's web address: the caption of a new instance and the default of "HyperLink".
    static inline const QString DefaultHyperlink = QStringLiteral("http://www.torvane.example/");
    static constexpr std::uint32_t DefaultForeColor = 0x00C00000;
    static constexpr std::uint32_t DefaultBackColor = 0x8000000F;
    static constexpr QSize DesignSize {2910, 375}; // twips

    LinkwellTxt();
    ~LinkwellTxt() override;

    static const velloc::DispatchTable& table();
    static const velloc::InterfaceInfo& eventTable();
    // The pages the control offers, in order: the standard colour and font pages, then its own.
    static QList<velloc::Guid> pages();

    QString className() const override { return QStringLiteral("LinkwellTxt"); }
    const velloc::DispatchTable& dispatch() const override { return table(); }
    const velloc::InterfaceInfo* eventInterface() const override { return &eventTable(); }

    // A new instance keeps the face it was made with; reading and writing a bag are the
    // generic walks of the member table.
    velloc::Result<void> initProperties() override;
    QList<velloc::Guid> propertyPages() const override;

    // The properties. An assignment goes through the member table, as a late-bound caller's
    // does: it is checked, stored, and the host told.
    std::uint32_t BackColor();
    velloc::Result<void> setBackColor(std::uint32_t New_BackColor);
    std::uint32_t ForeColor();
    velloc::Result<void> setForeColor(std::uint32_t New_ForeColor);
    // The label's own font object: a change made through it shows at once.
    std::shared_ptr<velloc::Font> Font();
    velloc::Result<void> setFont(std::shared_ptr<velloc::Font> New_Font);
    QString Hyperlink();
    velloc::Result<void> setHyperlink(const QString& New_Hyperlink);
    bool Enabled();
    velloc::Result<void> setEnabled(bool New_Enabled);
    // Shows the library's about box modally, owned by this control; returns once it is closed.
    velloc::Result<velloc::Variant> About();

    // The constituent label (the face is created with it on first use).
    UrlLabel* lblURL();

protected:
    QWidget* createWidget() override;

private:
    // The properties' stores: each checks and keeps a value, and tells no one.
    velloc::Result<void> storeBackColor(std::uint32_t New_BackColor);
    velloc::Result<void> storeForeColor(std::uint32_t New_ForeColor);
    velloc::Result<void> storeFont(std::shared_ptr<velloc::Font> New_Font);
    velloc::Result<void> storeHyperlink(const QString& New_Hyperlink);
    velloc::Result<void> storeEnabled(bool New_Enabled);

    void labelClicked();
    void labelMouse(velloc::DispId event, int button, int shift, float x, float y);

    velloc::ModuleLock m_moduleLock;
    QPointer<UrlLabel> m_lblURL;
};

} // namespace linkwell
