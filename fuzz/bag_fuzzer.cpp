// A property bag's text form, as it comes from a file somebody else wrote: it loads or is
// refused with an error naming its line; nothing in it reads another file; and what a loaded
// bag writes loads back as the same bag and writes the same text again.
#include "fuzz/fuzzcheck.h"

#include "velloc/store/propertybag.h"

#include <QGuiApplication>

namespace {

int bagText(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const velloc::Result<velloc::PropertyBag> bag = velloc::PropertyBag::fromText(text);
    if (!bag) {
        FUZZ_CHECK(bag.error().message().startsWith(QLatin1String("line ")));
        FUZZ_CHECK(bag.error().number() == velloc::errc::InvalidArgument || bag.error().number() == velloc::errc::Overflow);
        return 0;
    }
    const QString written = bag->toText();
    const velloc::Result<velloc::PropertyBag> again = velloc::PropertyBag::fromText(written);
    FUZZ_CHECK(again.ok());
    FUZZ_CHECK(again->entries().size() == bag->entries().size());
    FUZZ_CHECK(again->toText() == written);
    for (const velloc::PropertyBag::Entry& e : bag->entries())
        FUZZ_CHECK(again->contains(e.name));
    return 0;
}

} // namespace

// Pictures and fonts need the GUI library; no window is ever shown.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

CIPHER_FUZZ_ENTRY(bagText)
