#include "velloc/hosting/commondialog.h"

#include "velloc/hosting/services.h"
#include "velloc/store/registry.h"

#include <QLabel>

namespace velloc {

const ClassInfo& CommonDialog::classInfo()
{
    static const ClassInfo info = [] {
        ClassInfo c;
        c.name = QStringLiteral("CommonDialog");
        c.clsid = Clsid;
        c.progId = QStringLiteral("MSComDlg.CommonDialog");
        c.control = true;
        c.create = [] { return std::make_shared<CommonDialog>(); };
        return c;
    }();
    return info;
}

// The hosting layer provides the common dialog to every program that links it; the registry
// below it only keeps the list.
[[maybe_unused]] static const bool registered = (registerBuiltInClass(CommonDialog::classInfo()), true);

const DispatchTable& CommonDialog::dispatch() const
{
    static const DispatchTable table = [] {
        DispatchTable t(InterfaceInfo {QStringLiteral("ICommonDialog"), Guid::literal("{F9043C88-F6F2-101A-A3C9-08002B2F49FB}"),
                                       true, false, true});
        const TypeRef str {VarType::BStr, {}};
        const TypeRef i2 {VarType::I2, {}};
        const TypeRef i4 {VarType::I4, {}};
        auto text = [&t, str](QString name, DispId id, QString CommonDialog::*field, QString help) {
            t.get<CommonDialog>(name, id, str, help, [field](CommonDialog& d) -> Result<Variant> {
                return Variant::fromString(d.*field);
            });
            t.put<CommonDialog>(name, id, QStringLiteral("value"), str, help,
                                [field](CommonDialog& d, const Variant& v) -> Result<void> {
                                    d.*field = v.string();
                                    return {};
                                });
        };
        text(QStringLiteral("FileName"), FileNameId, &CommonDialog::fileName,
             QStringLiteral("Returns/sets the path and filename of a selected file."));
        text(QStringLiteral("DialogTitle"), 2, &CommonDialog::dialogTitle,
             QStringLiteral("Returns/sets the string displayed in the title bar of the dialog box."));
        text(QStringLiteral("Filter"), 3, &CommonDialog::filter,
             QStringLiteral("Returns/sets the filters that are displayed in the Type list box of a dialog box."));
        t.get<CommonDialog>(QStringLiteral("FilterIndex"), 4, i2, QStringLiteral("Returns/sets a default filter."),
                            [](CommonDialog& d) -> Result<Variant> { return Variant::fromI2(std::int16_t(d.filterIndex)); });
        t.put<CommonDialog>(QStringLiteral("FilterIndex"), 4, QStringLiteral("value"), i2, {},
                            [](CommonDialog& d, const Variant& v) -> Result<void> { d.filterIndex = v.i2(); return {}; });
        t.get<CommonDialog>(QStringLiteral("Flags"), 5, i4, QStringLiteral("Returns/sets the options for the dialog box."),
                            [](CommonDialog& d) -> Result<Variant> { return Variant::fromI4(d.flags); });
        t.put<CommonDialog>(QStringLiteral("Flags"), 5, QStringLiteral("value"), i4, {},
                            [](CommonDialog& d, const Variant& v) -> Result<void> { d.flags = v.i4(); return {}; });
        text(QStringLiteral("InitDir"), 6, &CommonDialog::initDir,
             QStringLiteral("Returns/sets the initial file dialog directory."));
        t.get<CommonDialog>(QStringLiteral("CancelError"), 7, {VarType::Bool, {}},
                            QStringLiteral("Indicates whether an error is generated when the user chooses the Cancel button."),
                            [](CommonDialog& d) -> Result<Variant> { return Variant::fromBool(d.cancelError); });
        t.put<CommonDialog>(QStringLiteral("CancelError"), 7, QStringLiteral("value"), {VarType::Bool, {}}, {},
                            [](CommonDialog& d, const Variant& v) -> Result<void> { d.cancelError = v.boolean(); return {}; });
        t.method<CommonDialog>(QStringLiteral("ShowOpen"), ShowOpenId, {}, {VarType::Void, {}},
                               QStringLiteral("Displays the CommonDialog control's Open dialog box."),
                               [](CommonDialog& d, std::span<Variant>) -> Result<Variant> {
                                   VELLOC_TRY_VOID(d.showOpen());
                                   return Variant();
                               });
        return t;
    }();
    return table;
}

Result<void> CommonDialog::showOpen()
{
    services::FileDialogRequest request {dialogTitle.isEmpty() ? QStringLiteral("Open") : dialogTitle,
                                         fileName, filter, filterIndex, initDir, flags, owner};
    const std::optional<QString> chosen = services::openFileDialog(request);
    if (!chosen) {
        if (cancelError)
            return Error(errc::CancelSelected);
        return {};
    }
    fileName = *chosen;
    return {};
}

Result<void> CommonDialog::readProperties(const PropertyBag& bag)
{
    fileName = VELLOC_TRY(bag.read(u"FileName", Variant::fromString({})).toString());
    dialogTitle = VELLOC_TRY(bag.read(u"DialogTitle", Variant::fromString({})).toString());
    filter = VELLOC_TRY(bag.read(u"Filter", Variant::fromString({})).toString());
    filterIndex = VELLOC_TRY(bag.read(u"FilterIndex", Variant::fromI2(0)).toI2());
    flags = VELLOC_TRY(bag.read(u"Flags", Variant::fromI4(0)).toI4());
    initDir = VELLOC_TRY(bag.read(u"InitDir", Variant::fromString({})).toString());
    cancelError = VELLOC_TRY(bag.read(u"CancelError", Variant::fromBool(false)).toBool());
    return {};
}

Result<void> CommonDialog::writeProperties(PropertyBag& bag)
{
    bag.write(u"FileName", Variant::fromString(fileName), Variant::fromString({}));
    bag.write(u"DialogTitle", Variant::fromString(dialogTitle), Variant::fromString({}));
    bag.write(u"Filter", Variant::fromString(filter), Variant::fromString({}));
    bag.write(u"FilterIndex", Variant::fromI2(std::int16_t(filterIndex)), Variant::fromI2(0));
    bag.write(u"Flags", Variant::fromI4(flags), Variant::fromI4(0));
    bag.write(u"InitDir", Variant::fromString(initDir), Variant::fromString({}));
    bag.write(u"CancelError", Variant::fromBool(cancelError), Variant::fromBool(false));
    return {};
}

QWidget* CommonDialog::createWidget()
{
    // Seen only on a form being designed.
    auto* face = new QLabel(QStringLiteral("CD"));
    face->setFrameShape(QFrame::Box);
    face->setAlignment(Qt::AlignCenter);
    return face;
}

} // namespace velloc
