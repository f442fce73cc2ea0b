#include "scriptoutput.h"

#include "velloc/io/localfile.h"

#include <QTimerEvent>

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
    const bool written = velloc::localfile::writeAll(m_fd, {m_held.constData(), std::size_t(m_held.size())}) == 0;
    m_held.clear();
    return written;
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
