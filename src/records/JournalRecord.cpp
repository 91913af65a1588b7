#include "records/JournalRecord.h"

#include "platform/Clock.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSysInfo>

#include <array>
#include <cmath>
#include <functional>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace {

constexpr std::array<const char *, 4> kOutcomeWords = {"done", "partial", "failed", "refused"};

QString loginName()
{
#ifdef Q_OS_UNIX
    // The account, not whatever $USER a shell was given.
    if (const passwd *entry = ::getpwuid(::geteuid()); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
#endif
    const QString user = qEnvironmentVariable("USER");
    return user.isEmpty() ? qEnvironmentVariable("USERNAME") : user;
}

/// A JSON string. Surrogates are written as escapes, so a text that holds half a pair (which has
/// no UTF-8 form) still reads back as it was.
QByteArray quoted(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size() + 2);
    escaped += QLatin1Char('"');
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        switch (u) {
        case u'"':
            escaped += QLatin1String("\\\"");
            break;
        case u'\\':
            escaped += QLatin1String("\\\\");
            break;
        case u'\n':
            escaped += QLatin1String("\\n");
            break;
        case u'\r':
            escaped += QLatin1String("\\r");
            break;
        case u'\t':
            escaped += QLatin1String("\\t");
            break;
        default:
            if (u < 0x20 || c.isSurrogate())
                escaped += QStringLiteral("\\u%1").arg(uint(u), 4, 16, QLatin1Char('0'));
            else
                escaped += c;
        }
    }
    escaped += QLatin1Char('"');
    return escaped.toUtf8();
}

QByteArray fileJson(const std::optional<FileReference> &file)
{
    if (!file)
        return "null";
    return "{\"path\":" + quoted(file->path) + ",\"sha256\":" + quoted(file->sha256) + '}';
}

QByteArray changeJson(const TableChange &change)
{
    return "{\"table\":" + quoted(tableKindWord(change.table)) + ",\"range\":" + QByteArray::number(change.range)
        + ",\"column\":" + QByteArray::number(change.column) + ",\"before\":" + quoted(change.before)
        + ",\"after\":" + quoted(change.after) + ",\"verified\":" + (change.verified ? "true" : "false") + '}';
}

bool isSha256Hex(const QString &text)
{
    if (text.size() != 64)
        return false;
    for (const QChar c : text) {
        if (!c.isDigit() && !(c >= QLatin1Char('a') && c <= QLatin1Char('f')))
            return false;
    }
    return true;
}

/// Takes the known keys out of one JSON object, naming the first that is missing or of the wrong
/// kind by its place in the record ("changes[2].verified").
class ObjectReader
{
public:
    ObjectReader(const QJsonObject &object, const QString &where, QString *reason)
        : m_object(object), m_where(where), m_reason(reason)
    {
    }

    /// The key's value handed to `take`, which keeps it and says whether it is of the right kind;
    /// when it is not, the reason is the key and `what` is wrong with it.
    bool typed(const char *key, const char *what, const std::function<bool(const QJsonValue &)> &take)
    {
        const auto it = m_object.constFind(QLatin1String(key));
        if (it == m_object.constEnd())
            return fail(key, QStringLiteral("is missing"));
        return take(*it) || fail(key, QLatin1String(what));
    }
    bool string(const char *key, QString *out)
    {
        return typed(key, "is not a string", [out](const QJsonValue &v) {
            *out = v.toString();
            return v.isString();
        });
    }
    bool digest(const char *key, QString *out)
    {
        return string(key, out)
            && (isSha256Hex(*out) || fail(key, QStringLiteral("is not a SHA-256 in lower-case hex")));
    }
    bool boolean(const char *key, bool *out)
    {
        return typed(key, "is not true or false", [out](const QJsonValue &v) {
            *out = v.toBool();
            return v.isBool();
        });
    }
    bool count(const char *key, int *out)
    {
        return typed(key, "is not a whole number from 0", [out](const QJsonValue &v) {
            const double d = v.toDouble(-1);
            if (!v.isDouble() || d < 0 || d > 1e9 || std::floor(d) != d)
                return false;
            *out = int(d);
            return true;
        });
    }
    /// An object, or with `isNull` also null (which *isNull then tells).
    bool object(const char *key, QJsonObject *out, bool *isNull = nullptr)
    {
        return typed(key, isNull ? "is neither an object nor null" : "is not an object",
                     [out, isNull](const QJsonValue &v) {
                         if (isNull)
                             *isNull = v.isNull();
                         *out = v.toObject();
                         return v.isObject() || (isNull && *isNull);
                     });
    }
    bool array(const char *key, QJsonArray *out)
    {
        return typed(key, "is not a list", [out](const QJsonValue &v) {
            *out = v.toArray();
            return v.isArray();
        });
    }
    bool fail(const char *key, const QString &what)
    {
        *m_reason = QStringLiteral("\"%1%2\" %3").arg(m_where, QLatin1String(key), what);
        return false;
    }
    QString where(const char *key) const { return m_where + QLatin1String(key) + QLatin1Char('.'); }

private:
    const QJsonObject &m_object;
    QString m_where;
    QString *m_reason;
};

bool readFile(ObjectReader &reader, const char *key, std::optional<FileReference> *file, QString *reason)
{
    QJsonObject object;
    bool isNull = false;
    if (!reader.object(key, &object, &isNull))
        return false;
    if (isNull) {
        file->reset();
        return true;
    }
    FileReference ref;
    ObjectReader inner(object, reader.where(key), reason);
    if (!inner.string("path", &ref.path) || !inner.digest("sha256", &ref.sha256))
        return false;
    *file = ref;
    return true;
}

bool readChange(const QJsonValue &value, const QString &where, TableChange *change, QString *reason)
{
    if (!value.isObject()) {
        *reason = QStringLiteral("\"%1\" is not an object").arg(where);
        return false;
    }
    const QJsonObject object = value.toObject();
    ObjectReader reader(object, where + QLatin1Char('.'), reason);
    QString table;
    if (!reader.string("table", &table))
        return false;
    if (!tableKindFromWord(table, &change->table))
        return reader.fail("table", QStringLiteral("is neither \"cal\" nor \"spec\""));
    return reader.count("range", &change->range) && reader.count("column", &change->column)
        && reader.string("before", &change->before) && reader.string("after", &change->after)
        && reader.boolean("verified", &change->verified);
}

bool readRecord(const QJsonObject &object, JournalRecord *r, QString *reason)
{
    ObjectReader reader(object, QString(), reason);
    QString time;
    if (!reader.string("time", &time))
        return false;
    r->time = QDateTime::fromString(time, Qt::ISODateWithMs);
    if (!r->time.isValid())
        return reader.fail("time", QStringLiteral("is not a date and time (\"%1\")").arg(time.left(40)));
    r->time = r->time.toUTC();

    QJsonObject program;
    QJsonObject instrument;
    if (!reader.string("user", &r->user) || !reader.string("host", &r->host) || !reader.object("program", &program))
        return false;
    ObjectReader programReader(program, reader.where("program"), reason);
    if (!programReader.string("name", &r->programName) || !programReader.string("version", &r->programVersion))
        return false;
    if (!reader.string("operation", &r->operation) || !reader.object("instrument", &instrument))
        return false;
    ObjectReader instrumentReader(instrument, reader.where("instrument"), reason);
    if (!instrumentReader.string("identity", &r->instrument.identity)
        || !instrumentReader.string("model", &r->instrument.model)
        || !instrumentReader.string("serial", &r->instrument.serial)
        || !instrumentReader.string("firmware", &r->instrument.firmware))
        return false;
    if (!reader.string("connection", &r->connection) || !readFile(reader, "file", &r->file, reason)
        || !readFile(reader, "snapshot", &r->snapshot, reason))
        return false;

    QJsonArray changes;
    if (!reader.array("changes", &changes))
        return false;
    r->changes.clear();
    for (qsizetype i = 0; i < changes.size(); ++i) {
        TableChange change;
        if (!readChange(changes.at(i), QStringLiteral("changes[%1]").arg(i), &change, reason))
            return false;
        r->changes << change;
    }

    QString outcome;
    if (!reader.string("outcome", &outcome))
        return false;
    const auto word = std::find(kOutcomeWords.begin(), kOutcomeWords.end(), outcome.toLatin1());
    if (word == kOutcomeWords.end())
        return reader.fail("outcome", QStringLiteral("is not one of done, partial, failed, refused"));
    r->outcome = JournalOutcome(word - kOutcomeWords.begin());
    return reader.boolean("forced", &r->forced) && reader.digest("prev", &r->prev);
}

} // namespace

JournalRecord JournalRecord::stamped(const QString &operation)
{
    JournalRecord record;
    record.time = systemClock().currentDateTime().toUTC();
    record.user = loginName();
    record.host = QSysInfo::machineHostName();
    record.programName = QCoreApplication::applicationName();
    record.programVersion = QStringLiteral(CALSETUP_VERSION);
    record.operation = operation;
    return record;
}

QString JournalRecord::outcomeWord(JournalOutcome outcome)
{
    return QLatin1String(kOutcomeWords.at(std::size_t(outcome)));
}

QByteArray JournalRecord::toLine() const
{
    QByteArray changeList = "[";
    for (const TableChange &change : changes) {
        if (changeList.size() > 1)
            changeList += ',';
        changeList += changeJson(change);
    }
    changeList += ']';
    return "{\"time\":" + quoted(time.toUTC().toString(Qt::ISODateWithMs)) + ",\"user\":" + quoted(user) + ",\"host\":"
        + quoted(host) + ",\"program\":{\"name\":" + quoted(programName) + ",\"version\":" + quoted(programVersion)
        + "},\"operation\":" + quoted(operation) + ",\"instrument\":{\"identity\":" + quoted(instrument.identity)
        + ",\"model\":" + quoted(instrument.model) + ",\"serial\":" + quoted(instrument.serial)
        + ",\"firmware\":" + quoted(instrument.firmware) + "},\"connection\":" + quoted(connection)
        + ",\"file\":" + fileJson(file) + ",\"snapshot\":" + fileJson(snapshot) + ",\"changes\":" + changeList
        + ",\"outcome\":" + quoted(outcomeWord(outcome)) + ",\"forced\":" + (forced ? "true" : "false")
        + ",\"prev\":" + quoted(prev) + '}';
}

bool JournalRecord::fromLine(const QByteArray &line, JournalRecord *record, QString *reason)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError) {
        *reason = QStringLiteral("not JSON: %1 at character %2").arg(error.errorString()).arg(error.offset);
        return false;
    }
    if (!document.isObject()) {
        *reason = QStringLiteral("not a JSON object");
        return false;
    }
    JournalRecord read;
    if (!readRecord(document.object(), &read, reason))
        return false;
    *record = read;
    return true;
}
