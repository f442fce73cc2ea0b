#pragma once

#include <QElapsedTimer>
#include <QIODevice>

// What compcall prints, on a file descriptor. A terminal gets every line as it is printed; a
// file or a pipe gets lines in batches (a large file operation prints tens of thousands of
// event lines, one system call each otherwise), written once FlushInterval has passed since
// the last batch while events are being processed. A device written before this one (the
// error stream, with the output as `before`) writes out what the output holds first, so lines
// keep their order when both streams go to one place.
class ScriptOutput final : public QIODevice {
public:
    static constexpr int FlushInterval = 100; // milliseconds
    static constexpr qsizetype Capacity = 64 * 1024;

    explicit ScriptOutput(int fd, ScriptOutput* before = nullptr);
    ~ScriptOutput() override;

    // Writes what is held; false when the descriptor refuses it.
    bool flush();
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;
    void timerEvent(QTimerEvent* event) override;

private:
    int m_fd;
    ScriptOutput* m_before;
    bool m_batched;
    int m_timer = 0;
    QByteArray m_held;
    QElapsedTimer m_sinceFlush;
};
