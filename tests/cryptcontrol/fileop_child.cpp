// Runs one file operation of the encryption control in a process of its own, so that the tests
// can limit it, run it as another user or kill it midway.
//   fileop_child [--limit BYTES] [--user NAME] [--type N] [--announce] encode|decode PATH
#include "platform/module.h"
#include "platform/registry.h"
#include "platform/services.h"
#include "velloc.h"

#include <QApplication>

#include <csignal>
#include <cstdio>
#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace platform;

namespace {
class Printer final : public EventSink, public services::Responder {
public:
    bool announce = false;
    void onEvent(Object&, const MemberInfo& event, std::span<Variant> args) override
    {
        if (announce && !args.empty()) {
            std::printf("%s %d\n", qPrintable(event.name.toLower()), args[0].i4());
            std::fflush(stdout);
        }
    }
    int messageBox(const QString& text, services::MsgIcon, services::MsgButtons buttons, const QString&) override
    {
        std::printf("msgbox %s\n", qPrintable(text));
        return services::firstButton(buttons);
    }
};
} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    long long limit = -1;
    const char* user = nullptr;
    int type = 0;
    bool announce = false;
    int i = 1;
    for (; i < argc && argv[i][0] == '-'; ++i) {
        const std::string a = argv[i];
        if (a == "--limit" && i + 1 < argc) limit = std::atoll(argv[++i]);
        else if (a == "--user" && i + 1 < argc) user = argv[++i];
        else if (a == "--type" && i + 1 < argc) type = std::atoi(argv[++i]);
        else if (a == "--announce") announce = true;
        else return 2;
    }
    if (argc - i != 2)
        return 2;
    const std::string op = argv[i];
    const char* path = argv[i + 1];

    if (limit >= 0) {
        // A write past the limit then fails with EFBIG instead of killing the process.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit rl {rlim_t(limit), rlim_t(limit)};
        setrlimit(RLIMIT_FSIZE, &rl);
    }

    QApplication app(argc, argv);
    Result<Module*> module = Module::load(QStringLiteral(VELPACK_MODULE));
    if (!module) {
        std::printf("%s\n", qPrintable(module.error().message()));
        return 3;
    }
    // The user is switched only now: the libraries are loaded from the build tree, which that
    // user may not be able to enter (a clone in root's home, a private temporary folder).
    if (user) {
        const passwd* pw = getpwnam(user);
        if (!pw || setgroups(0, nullptr) != 0 || setgid(pw->pw_gid) != 0 || setuid(pw->pw_uid) != 0) {
            std::printf("cannot become %s\n", user);
            return 3;
        }
    }
    Result<std::shared_ptr<Object>> object = module.value()->createInstance(velpack::Velloc::Clsid);
    auto* control = dynamic_cast<Control*>(object.value().get());
    Printer printer;
    printer.announce = announce;
    services::setResponder(&printer);
    object.value()->advise(&printer);
    (void)control->initProperties();
    auto put = [&](DispId id, Variant v) { (void)object.value()->invoke(id, InvokeKind::PropertyPut, {v}); };
    put(velpack::dispids::ShowProgress, Variant::fromBool(false));
    put(velpack::dispids::ProtectionType, Variant::fromI4(type));
    put(velpack::dispids::File, Variant::fromString(QString::fromLocal8Bit(path)));
    Result<Variant> r = object.value()->invoke(op == "encode" ? velpack::dispids::Encode : velpack::dispids::Decode,
                                               InvokeKind::Method, std::initializer_list<Variant> {});
    if (r)
        std::printf("result ok\n");
    else
        std::printf("error %d: %s\n", r.error().number(), qPrintable(r.error().message()));
    control->terminate();
    return 0;
}
