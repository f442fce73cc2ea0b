#pragma once

#include "platform/control.h"
#include "platform/module.h"

#include <QPointer>

#include <cstdint>

namespace linkwell {

class UrlLabel;

namespace dispids {
inline constexpr platform::DispId Enabled = 0x68030000;
inline constexpr platform::DispId Hyperlink = 0x68030001;
inline constexpr platform::DispId ForeColor = 0x68030002;
inline constexpr platform::DispId BackColor = 0x68030003;
inline constexpr platform::DispId Font = platform::dispid::Font;
inline constexpr platform::DispId About = platform::dispid::AboutBox;
} // namespace dispids

namespace events {
inline constexpr platform::DispId Click = 1;
inline constexpr platform::DispId KeyDown = 2;
inline constexpr platform::DispId KeyPress = 3;
inline constexpr platform::DispId KeyUp = 4;
inline constexpr platform::DispId MouseDown = 5;
inline constexpr platform::DispId MouseMove = 6;
inline constexpr platform::DispId MouseUp = 7;
} // namespace events

// The hyperlink control: one label, lblURL, whose caption is both the text shown and the
// address a click opens. Every property passes through to the label; the control keeps no
// state of its own.
class LinkwellTxt final : public platform::Control {
public:
    static constexpr platform::Guid Clsid = platform::Guid::literal("{A0369AC2-B6D8-11D3-901D-00207816FA15}");
    // The maker's web address: the caption of a new instance and the default of "HyperLink".
    static inline const QString DefaultHyperlink = QStringLiteral("http://www.torvane.example/");
    static constexpr std::uint32_t DefaultForeColor = 0x00C00000;
    static constexpr std::uint32_t DefaultBackColor = 0x8000000F;
    static constexpr QSize DesignSize {2910, 375}; // twips

    LinkwellTxt();
    ~LinkwellTxt() override;

    static const platform::DispatchTable& table();
    static const platform::InterfaceInfo& eventTable();
    // The pages the control offers, in order: the standard colour and font pages, then its own.
    static QList<platform::Guid> pages();

    QString className() const override { return QStringLiteral("LinkwellTxt"); }
    const platform::DispatchTable& dispatch() const override { return table(); }
    const platform::InterfaceInfo* eventInterface() const override { return &eventTable(); }

    // A new instance keeps the face it was made with; reading and writing a bag are the
    // generic walks of the member table.
    platform::Result<void> initProperties() override;
    QList<platform::Guid> propertyPages() const override;

    // The properties. An assignment goes through the member table, as a late-bound caller's
    // does: it is checked, stored, and the host told.
    std::uint32_t BackColor();
    platform::Result<void> setBackColor(std::uint32_t New_BackColor);
    std::uint32_t ForeColor();
    platform::Result<void> setForeColor(std::uint32_t New_ForeColor);
    // The label's own font object: a change made through it shows at once.
    std::shared_ptr<platform::Font> Font();
    platform::Result<void> setFont(std::shared_ptr<platform::Font> New_Font);
    QString Hyperlink();
    platform::Result<void> setHyperlink(const QString& New_Hyperlink);
    bool Enabled();
    platform::Result<void> setEnabled(bool New_Enabled);
    // Shows the library's about box modally, owned by this control; returns once it is closed.
    platform::Result<platform::Variant> About();

    // The constituent label (the face is created with it on first use).
    UrlLabel* lblURL();

protected:
    QWidget* createWidget() override;

private:
    // The properties' stores: each checks and keeps a value, and tells no one.
    platform::Result<void> storeBackColor(std::uint32_t New_BackColor);
    platform::Result<void> storeForeColor(std::uint32_t New_ForeColor);
    platform::Result<void> storeFont(std::shared_ptr<platform::Font> New_Font);
    platform::Result<void> storeHyperlink(const QString& New_Hyperlink);
    platform::Result<void> storeEnabled(bool New_Enabled);

    void labelClicked();
    void labelMouse(platform::DispId event, int button, int shift, float x, float y);

    platform::ModuleLock m_moduleLock;
    QPointer<UrlLabel> m_lblURL;
};

} // namespace linkwell
