// A window description, as it comes from a file somebody else wrote: the form loader builds the
// window or refuses the description with an error, never crashes, never waits; the container
// reads it the same way. Components are created through an empty registry, so a component
// entry is refused by name and its bag is still read.
#include "fuzz/fuzzcheck.h"

#include "velloc/hosting/formloader.h"

#include <QApplication>
#include <QTemporaryDir>

namespace {

int formDescription(const std::uint8_t* data, std::size_t size)
{
    const QByteArray json(reinterpret_cast<const char*>(data), qsizetype(size));
    const velloc::Result<QJsonObject> root = velloc::FormLoader::parseDescription(json);
    const velloc::Result<std::unique_ptr<velloc::Form>> form = velloc::FormLoader::fromJson(json);
    // The loader reads nothing the parser refused, and its refusals say what is wrong.
    if (!root)
        FUZZ_CHECK(!form.ok() && form.error().message() == root.error().message());
    if (!form)
        FUZZ_CHECK(!form.error().message().isEmpty() && form.error().number() != 0);
    return 0;
}

} // namespace

// Fontconfig, under Qt's fonts, keeps what it has loaded until the process ends.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QTemporaryDir registry;
    qputenv("VELLOC_REGISTRY", QFile::encodeName(registry.path()));
    static QApplication app(*argc, *argv);
    return 0;
}

CIPHER_FUZZ_ENTRY(formDescription)
