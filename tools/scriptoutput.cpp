#include "scriptoutput.h"

#include <QTimerEvent>

#include <cerrno>
#include <unistd.h>

ScriptOutput::ScriptOutput(int fd, ScriptOutput* before)
    : m_fd(fd)
    , m_before(before)
    , m_batched(!isatty(fd) && !before)
{
    m_held.reserve(Capacity);
    m_sinceFlush.start();
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

ScriptOutput::~ScriptOutput()
{
    flush();
}

bool ScriptOutput::flush()
{
    m_sinceFlush.restart();
    if (m_timer) {
        killTimer(m_timer);
        m_timer = 0;
    }
    const char* data = m_held.constData();
    qsizetype left = m_held.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, data, std::size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            m_held.clear();
            return false;
        }
        data += n;
        left -= n;
    }
    m_held.clear();
    return true;
}

qint64 ScriptOutput::writeData(const char* data, qint64 size)
{
    if (m_before)
        m_before->flush();
    m_held.append(data, size);
    if (!m_batched || m_held.size() >= Capacity || m_sinceFlush.elapsed() >= FlushInterval) {
        if (!flush())
            return -1;
    } else if (!m_timer) {
        m_timer = startTimer(FlushInterval);
    }
    return size;
}

void ScriptOutput::timerEvent(QTimerEvent*)
{
    flush();
}
