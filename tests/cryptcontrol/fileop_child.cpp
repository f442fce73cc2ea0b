// Runs one file operation of the encryption control in a process of its own, so that the tests
// can limit it, run it as another user or kill it midway.
//   fileop_child [--limit BYTES] [--user NAME] [--type N] [--announce] [--show-progress]
//                [--no-threads] [--fail-fsync] encode|decode PATH
// --no-threads makes every thread creation fail, as a limit on processes or on memory does;
// --fail-fsync makes every fsync fail with EIO, as a failing disk does.
// It prints what compcall would: the events as they happen (with --announce), the message boxes,
// and the call's result or error.
#include "testsupport.h"
#include "velloc.h"

#include <QApplication>

#include <cerrno>
#include <csignal>
#include <dlfcn.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <cstdio>
#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace velloc;

namespace {
bool threadsFail = false;
bool fsyncFails = false;
} // namespace

// Interposed on the C library's for this program and the libraries it loads.
extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attr, void* (*start)(void*), void* arg)
{
    if (threadsFail)
        return EAGAIN;
    using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
    static const auto real = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "pthread_create"));
    return real(thread, attr, start, arg);
}

extern "C" int fsync(int fd)
{
    if (fsyncFails) {
        errno = EIO;
        return -1;
    }
    return int(syscall(SYS_fsync, fd));
}


int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    long long limit = -1;
    const char* user = nullptr;
    int type = 0;
    bool announce = false;
    bool showProgress = false;
    int i = 1;
    for (; i < argc && argv[i][0] == '-'; ++i) {
        const std::string a = argv[i];
        if (a == "--limit" && i + 1 < argc) limit = std::atoll(argv[++i]);
        else if (a == "--user" && i + 1 < argc) user = argv[++i];
        else if (a == "--type" && i + 1 < argc) type = std::atoi(argv[++i]);
        else if (a == "--announce") announce = true;
        else if (a == "--show-progress") showProgress = true;
        else if (a == "--no-threads") threadsFail = true;
        else if (a == "--fail-fsync") fsyncFails = true;
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
    auto print = [](const QString& line) {
        std::printf("%s\n", qPrintable(line));
        std::fflush(stdout);
    };
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
    if (!object)
        return 3;
    testsupport::RecordingHost host;
    host.adopt(object.value());
    (void)host.control().initProperties();
    host.onEvent = [&](const QString&, std::span<Variant>) {
        if (announce)
            print(host.log.last());
    };
    (void)host.put(velpack::dispids::ShowProgress, Variant::fromBool(showProgress));
    (void)host.put(velpack::dispids::ProtectionType, Variant::fromI4(type));
    (void)host.put(velpack::dispids::File, Variant::fromString(QString::fromLocal8Bit(path)));
    Result<Variant> r = host.call(op == "encode" ? velpack::dispids::Encode : velpack::dispids::Decode);
    for (const QString& line : host.log.filter(QStringLiteral("msgbox ")))
        print(line);
    print(r ? varianttext::format(r.value()) : QStringLiteral("error %1: %2").arg(r.error().number()).arg(r.error().message()));
    return 0;
}
