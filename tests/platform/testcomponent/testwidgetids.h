#pragma once

#include "velloc/core/guid.h"
#include "velloc/core/typeinfo.h"

// The identities of the test component library, shared by the library and the tests that
// drive it late-bound.
namespace testwidget {

inline constexpr velloc::Guid LibId = velloc::Guid::literal("{7BCB8179-FC76-4B19-A312-48FFDD117AE9}");
inline constexpr velloc::Guid WidgetClsid = velloc::Guid::literal("{2FDA9AD8-AE7B-4C05-A99D-8D12069B9B0B}");
inline constexpr velloc::Guid WidgetIid = velloc::Guid::literal("{E8078F48-11F1-48D2-A81C-FAC84324C186}");
inline constexpr velloc::Guid WidgetEventsIid = velloc::Guid::literal("{2CCFC33C-895E-4E1C-B32D-C49B8F1A381B}");
inline constexpr velloc::Guid CounterClsid = velloc::Guid::literal("{818C721F-E4AB-406F-8099-DA5794BC6536}");
inline constexpr velloc::Guid CounterIid = velloc::Guid::literal("{CBFE92DC-6E4F-47B0-BA38-3EBA64488BEB}");
inline constexpr velloc::Guid ShadeEnumId = velloc::Guid::literal("{672BFBD1-CE96-4CFD-9505-D22CC553A881}");
inline constexpr velloc::Guid WrongAbiLibId = velloc::Guid::literal("{1FF4DA72-A332-4D64-945F-26E59E039071}");

inline constexpr const char* WidgetProgId = "Velloc.TestWidget";
inline constexpr const char* CounterProgId = "Velloc.TestCounter";

// Members of the widget's default interface.
namespace id {
inline constexpr velloc::DispId Caption = velloc::dispid::Value;
inline constexpr velloc::DispId Count = 0x68030001;
inline constexpr velloc::DispId Level = 0x68030002;
inline constexpr velloc::DispId Enabled = 0x68030003;
inline constexpr velloc::DispId Picture = 0x68030004;
inline constexpr velloc::DispId Font = velloc::dispid::Font;
inline constexpr velloc::DispId Zoom = 0x68030005;
inline constexpr velloc::DispId Counter = 0x68030006;
inline constexpr velloc::DispId Decorate = 0x60030000;
inline constexpr velloc::DispId Raise = 0x60030001;
inline constexpr velloc::DispId ShowMessage = 0x60030002;
inline constexpr velloc::DispId Open = 0x60030003;
inline constexpr velloc::DispId AboutBox = velloc::dispid::AboutBox;
} // namespace id

// Events of the widget.
namespace event {
inline constexpr velloc::DispId Step = 1;
inline constexpr velloc::DispId Done = 2;
} // namespace event

// Members of the counter, a plain object that is no control.
namespace counterid {
inline constexpr velloc::DispId Value = velloc::dispid::Value;
inline constexpr velloc::DispId Increment = 0x60030000;
} // namespace counterid

// The widget's bag defaults.
inline constexpr const char* DefaultCaption = "Widget";
inline constexpr bool DefaultEnabled = true;

} // namespace testwidget
