#include "records/ChangeJournal.h"

#include "records/DurableFiles.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <sys/file.h>
#else
#include <QLockFile>
#endif

namespace {

/// Holds the journal for one program while it reads the last line and appends after it, so two
/// programs never both chain to the same line. Unix locks the open file itself (released by the
/// system if the program dies); elsewhere a lock file stands beside the journal.
class JournalLock
{
public:
#ifdef Q_OS_UNIX
    explicit JournalLock(QFile &file) : m_fd(file.handle()) {}
    ~JournalLock()
    {
        if (m_locked)
            ::flock(m_fd, LOCK_UN);
    }
    bool lock(QString *cause)
    {
        int result;
        do
            result = ::flock(m_fd, LOCK_EX);
        while (result != 0 && errno == EINTR);
        m_locked = result == 0;
        if (!m_locked)
            *cause = QString::fromLocal8Bit(std::strerror(errno));
        return m_locked;
    }

private:
    int m_fd;
    bool m_locked = false;
#else
    explicit JournalLock(QFile &file) : m_lock(file.fileName() + QStringLiteral(".lock")) {}
    bool lock(QString *cause)
    {
        if (m_lock.lock())
            return true;
        *cause = QStringLiteral("its lock file could not be taken");
        return false;
    }

private:
    QLockFile m_lock;
#endif
};

/// The journal's last line without its line break ("" for an empty file). False, with *why, when
/// the file cannot be read or ends in an unfinished line: a chain built on that would start from
/// a line no one can check.
bool readLastLine(QFile &file, QByteArray *line, QString *why)
{
    constexpr qint64 kChunk = 4096;
    qint64 from = file.size();
    QByteArray tail;
    while (from > 0) {
        const qint64 start = qMax<qint64>(0, from - kChunk);
        if (!file.seek(start)) {
            *why = file.errorString();
            return false;
        }
        const QByteArray chunk = file.read(from - start);
        if (chunk.size() != from - start) {
            *why = file.errorString();
            return false;
        }
        tail.prepend(chunk);
        from = start;
        if (!tail.endsWith('\n')) {
            *why = QStringLiteral("it ends in an unfinished line (see \"calsetup-cli journal verify\")");
            return false;
        }
        const qsizetype lineBreak = tail.size() >= 2 ? tail.lastIndexOf('\n', tail.size() - 2) : -1;
        if (lineBreak >= 0) {
            *line = tail.mid(lineBreak + 1, tail.size() - lineBreak - 2);
            return true;
        }
    }
    *line = tail.isEmpty() ? QByteArray() : tail.chopped(1);
    return true;
}

} // namespace

ChangeJournal::ChangeJournal(const QString &path) : m_path(path) {}

QString ChangeJournal::lineDigest(const QByteArray &line)
{
    return DurableFiles::sha256Hex(line);
}

bool ChangeJournal::canAppend(QString *error) const
{
    QString why;
    if (!DurableFiles::makeFolder(QFileInfo(m_path).path(), &why)) {
        if (error)
            *error = why;
        return false;
    }
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        if (error)
            *error = QStringLiteral("cannot open %1 for writing: %2").arg(m_path, file.errorString());
        return false;
    }
    return true;
}

bool ChangeJournal::append(JournalRecord &record, QString *error)
{
    auto fail = [&](const QString &message) {
        if (error)
            *error = message;
        return false;
    };
    if (!record.time.isValid())
        return fail(QStringLiteral("a record for %1 needs its time").arg(m_path));
    QString why;
    if (!DurableFiles::makeFolder(QFileInfo(m_path).path(), &why))
        return fail(why);

    QFile file(m_path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered))
        return fail(QStringLiteral("cannot open %1 for writing: %2").arg(m_path, file.errorString()));
    JournalLock lock(file);
    if (!lock.lock(&why))
        return fail(QStringLiteral("cannot lock %1: %2").arg(m_path, why));

    const qint64 oldSize = file.size();
    QByteArray last;
    if (!readLastLine(file, &last, &why))
        return fail(QStringLiteral("cannot append to %1: %2").arg(m_path, why));

    const QString previousPrev = record.prev;
    record.prev = oldSize == 0 ? kFirstPrev : lineDigest(last);
    const QByteArray line = record.toLine() + '\n';
    const qint64 written = file.write(line);
    QString cause = file.errorString();
    bool ok = written == line.size();
    if (ok && !DurableFiles::syncToDisk(file, &cause))
        ok = false;
    if (!ok) {
        // Whatever part of the line reached the file goes again, so no half line stays behind.
        file.resize(oldSize);
        DurableFiles::syncToDisk(file, nullptr);
        record.prev = previousPrev;
        return fail(QStringLiteral("cannot write to %1: %2").arg(m_path, cause));
    }
    return true;
}

ChangeJournal::Contents ChangeJournal::records() const
{
    Contents contents;
    QFile file(m_path);
    if (!file.exists())
        return contents;
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        contents.readable = false;
        contents.error = QStringLiteral("cannot read %1: %2").arg(m_path, file.errorString());
        return contents;
    }
    return parse(bytes);
}

ChangeJournal::Contents ChangeJournal::parse(const QByteArray &bytes)
{
    Contents contents;
    qsizetype from = 0;
    while (from < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', from);
        const bool finished = end >= 0;
        if (!finished)
            end = bytes.size();
        const int number = ++contents.lineCount;
        Entry entry{number, bytes.mid(from, end - from), {}};
        from = end + 1;
        QString reason;
        if (!finished)
            reason = QStringLiteral("the line is unfinished (no line break after it)");
        else if (entry.text.isEmpty())
            reason = QStringLiteral("the line is empty");
        else if (!JournalRecord::fromLine(entry.text, &entry.record, &reason) && reason.isEmpty())
            reason = QStringLiteral("the line is not a record");
        if (reason.isEmpty())
            contents.entries << entry;
        else
            contents.problems << Problem{number, reason, entry.text};
    }
    return contents;
}

ChangeJournal::Verification ChangeJournal::verify() const
{
    return verify(records());
}

ChangeJournal::Verification ChangeJournal::verify(const Contents &contents)
{
    Verification result;
    result.readable = contents.readable;
    result.error = contents.error;
    result.count = contents.lineCount;
    result.head = kFirstPrev;
    if (!contents.readable) {
        result.intact = false;
        return result;
    }

    // Entries and problems are each in line order; walk the lines together.
    qsizetype nextEntry = 0;
    qsizetype nextProblem = 0;
    QString expected = kFirstPrev;
    auto breakAt = [&result](int line, const QString &reason) {
        if (!result.intact)
            return;
        result.intact = false;
        result.brokenLine = line;
        result.reason = reason;
    };
    for (int line = 1; line <= contents.lineCount; ++line) {
        if (nextProblem < contents.problems.size() && contents.problems.at(nextProblem).line == line) {
            const Problem &problem = contents.problems.at(nextProblem++);
            breakAt(line, QStringLiteral("line %1 is not a record: %2").arg(line).arg(problem.reason));
            expected = lineDigest(problem.text);
        } else {
            const Entry &entry = contents.entries.at(nextEntry++);
            if (entry.record.prev != expected) {
                breakAt(line,
                        line == 1 ? QStringLiteral("line 1 does not start a journal: its prev is not all zeros "
                                                   "(lines before it were removed)")
                                  : QStringLiteral("line %1 does not follow line %2: its prev is not the "
                                                   "SHA-256 of line %2 (line %2 was changed, or a line was "
                                                   "removed or inserted there)")
                                        .arg(line)
                                        .arg(line - 1));
            }
            expected = lineDigest(entry.text);
        }
        result.head = expected;
    }
    return result;
}

std::optional<JournalRecord> ChangeJournal::findFile(const QString &sha256,
                                                     const std::function<bool(const JournalRecord &)> &accept) const
{
    const QString wanted = sha256.toLower();
    const Contents contents = records();
    for (auto it = contents.entries.crbegin(); it != contents.entries.crend(); ++it) {
        if (it->record.file && it->record.file->sha256 == wanted && (!accept || accept(it->record)))
            return it->record;
    }
    return std::nullopt;
}
