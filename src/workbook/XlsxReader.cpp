#include "workbook/XlsxReader.h"

#include "model/Error.h"
#include "model/Notice.h"
#include "workbook/NumberFormats.h"
#include "workbook/ReadLimits.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTime>

#include <atomic>
#include <charconv>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <expat.h>
#include <map>
#include <mutex>
#include <thread>
#include <zip.h>

namespace {

using ReadLimits::MiB;
// What one part may inflate to. A real sheet of a million rows stays well
// below these; a zip bomb does not. What the parts keep has limits of its own.
constexpr std::uint64_t SheetLimit = 1024 * MiB;
constexpr std::uint64_t SharedStringsLimit = 512 * MiB;
constexpr std::uint64_t SmallPartLimit = 64 * MiB;
// Spreadsheet XML packs some 5 to 50 times; deflate cannot pass about 1030.
constexpr std::uint64_t RatioCheckFrom = 8 * MiB;
constexpr std::uint64_t MaxRatio = 400;
constexpr int ReadChunk = 256 * 1024;
// expat holds a whole start tag, comment or name in its buffer, and rescans
// it with every chunk fed; every one of them ends with '>'.
constexpr std::uint64_t MaxToken = 4 * MiB;
// Spreadsheet parts nest some ten elements deep; expat keeps a frame for each.
constexpr int MaxDepth = 256;
// A cell text of MaxCellText characters as raw XML: at most 7 bytes a
// character ("_x000D_"), the rest is beyond the limit whatever it decodes to.
constexpr std::size_t MaxTextBytes = 7 * std::size_t(ReadLimits::MaxCellText);
// Beyond these a workbook's structure is not one a spreadsheet application makes.
constexpr std::size_t MaxSheets = 65535;
constexpr qsizetype MaxSheetName = 255;
// Parts from this size on are inflated on a second thread.
constexpr std::uint64_t PipelineFrom = 4 * MiB;
constexpr std::uint32_t MaxColumn = 16384;
// The last row of a sheet; the callers visit every row up to the last one.
constexpr std::uint32_t MaxRow = 1048576;

// --- zip -------------------------------------------------------------------

class XmlHandler;

// Thrown where a parse was stopped from outside.
struct Stopped
{};

class ZipArchive final
{
public:
    explicit ZipArchive(const QString &path) : m_path(path)
    {
        int error = 0;
        m_zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
        m_fileSize = std::uint64_t(std::max<qint64>(QFileInfo(path).size(), 0));
        if (m_zip)
            return;
        if (error == ZIP_ER_NOZIP || error == ZIP_ER_INCONS || error == ZIP_ER_CRC)
            throw KwError(QStringLiteral("Het werkboek %1 is beschadigd: het kan niet als zip-bestand worden gelezen.")
                              .arg(DisplayPath(path)));
        throw KwError(QStringLiteral("Het bestand %1 kan niet worden gelezen. Controleer of u het mag lezen en of het "
                                     "niet door een ander programma geblokkeerd wordt.")
                          .arg(DisplayPath(path)));
    }
    ~ZipArchive() { zip_discard(m_zip); }
    ZipArchive(const ZipArchive &) = delete;
    ZipArchive &operator=(const ZipArchive &) = delete;

    // Part names are case-insensitive in the package.
    bool contains(const std::string &name) const { return zip_name_locate(m_zip, name.c_str(), ZIP_FL_NOCASE) >= 0; }

    // Streams the part through the handler. what names the part in messages.
    // Once stop is set the parse ends with an exception of no interest.
    void parse(const std::string &name, const QString &what, std::uint64_t limit, XmlHandler &handler,
               const std::atomic<bool> *stop = nullptr) const;
    // Small parts (the mimetype) as bytes; empty when absent.
    QByteArray readSmall(const std::string &name) const;

    const QString &path() const { return m_path; }
    std::uint64_t fileSize() const { return m_fileSize; }

private:
    QString m_path;
    zip_t *m_zip = nullptr;
    std::uint64_t m_fileSize = 0;
};

[[noreturn]] void throwDamaged(const QString &path, const QString &what, const QString &fault)
{
    throw KwError(QStringLiteral("Het werkboek %1 is beschadigd: %2 %3.").arg(DisplayPath(path), what, fault));
}

QString partWhat(const std::string &name)
{
    return QStringLiteral("het onderdeel ") + QString::fromStdString(name);
}

// --- XML -------------------------------------------------------------------

inline const char *localName(const char *name)
{
    const char *colon = std::strchr(name, ':');
    return colon ? colon + 1 : name;
}

inline bool is(const char *local, const char *name)
{
    return std::strcmp(local, name) == 0;
}

// The value of an unprefixed attribute, or nullptr.
inline const char *attribute(const char **attrs, const char *name)
{
    for (; *attrs; attrs += 2) {
        if (std::strcmp(attrs[0], name) == 0)
            return attrs[1];
    }
    return nullptr;
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ')
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
        s.remove_suffix(1);
    return s;
}

template <typename T> bool parseUnsigned(std::string_view s, T &out)
{
    s = trimmed(s);
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && end == s.data() + s.size() && !s.empty();
}

class XmlHandler
{
public:
    virtual ~XmlHandler() = default;
    virtual void start(const char *local, const char **attrs) = 0;
    virtual void end(const char *local) = 0;
    virtual void text(const char *, int) {}

    // Stops the parse; the reader throws with the fault once expat has returned.
    void fail(QString fault)
    {
        if (m_fault.isEmpty() && m_tooMuch == 0)
            m_fault = std::move(fault);
        XML_StopParser(m_parser, XML_FALSE);
    }
    // Stops the parse because what the part keeps passes limit bytes.
    void tooMuch(std::uint64_t limit)
    {
        if (m_fault.isEmpty() && m_tooMuch == 0)
            m_tooMuch = limit;
        XML_StopParser(m_parser, XML_FALSE);
    }
    const QString &fault() const { return m_fault; }
    std::uint64_t tooMuchLimit() const { return m_tooMuch; }
    void setParser(XML_Parser parser) { m_parser = parser; }

    // Counts the open elements; false once they nest too deep.
    bool enter()
    {
        if (++m_depth <= MaxDepth)
            return true;
        fail(QStringLiteral("heeft XML die dieper dan %1 niveaus genest is").arg(MaxDepth));
        return false;
    }
    void leave() { --m_depth; }

private:
    XML_Parser m_parser = nullptr;
    QString m_fault;
    std::uint64_t m_tooMuch = 0;
    int m_depth = 0;
};

void XMLCALL onStart(void *data, const XML_Char *name, const XML_Char **attrs)
{
    auto *handler = static_cast<XmlHandler *>(data);
    if (handler->enter())
        handler->start(localName(name), attrs);
}

void XMLCALL onEnd(void *data, const XML_Char *name)
{
    auto *handler = static_cast<XmlHandler *>(data);
    handler->leave();
    handler->end(localName(name));
}

void XMLCALL onText(void *data, const XML_Char *s, int len)
{
    static_cast<XmlHandler *>(data)->text(s, len);
}

void XMLCALL onDoctype(void *data, const XML_Char *, const XML_Char *, const XML_Char *, int)
{
    // Spreadsheet parts have no DTD; refusing one rules out entity expansion.
    static_cast<XmlHandler *>(data)->fail(QStringLiteral("bevat een niet toegestane DTD"));
}

class ExpatParser final
{
public:
    explicit ExpatParser(XmlHandler &handler) : m_parser(XML_ParserCreate("UTF-8"))
    {
        if (!m_parser)
            throw std::bad_alloc();
        XML_SetUserData(m_parser, &handler);
        XML_SetElementHandler(m_parser, onStart, onEnd);
        XML_SetCharacterDataHandler(m_parser, onText);
        XML_SetStartDoctypeDeclHandler(m_parser, onDoctype);
        handler.setParser(m_parser);
    }
    ~ExpatParser() { XML_ParserFree(m_parser); }
    ExpatParser(const ExpatParser &) = delete;
    ExpatParser &operator=(const ExpatParser &) = delete;
    XML_Parser get() const { return m_parser; }

private:
    XML_Parser m_parser;
};

// Inflates a large part on a worker thread a few chunks ahead of the XML
// parser: on two cores the two take about as long as the slower of them.
class ChunkPipe final
{
public:
    enum class Status
    {
        Ok,
        ReadError,
        TooLarge
    };

    ChunkPipe(zip_file_t *file, std::uint64_t limit) : m_file(file), m_limit(limit), m_worker([this] { run(); }) {}
    ~ChunkPipe()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_cancelled = true;
        }
        m_changed.notify_all();
        m_worker.join();
    }
    ChunkPipe(const ChunkPipe &) = delete;
    ChunkPipe &operator=(const ChunkPipe &) = delete;

    // Hands back the previous chunk and takes the next; an empty chunk ends the part.
    Status next(std::vector<char> &chunk)
    {
        std::unique_lock lock(m_mutex);
        if (chunk.capacity() > 0)
            m_spare.push_back(std::move(chunk));
        m_changed.wait(lock, [this] { return !m_full.empty() || m_status != Status::Ok; });
        if (m_full.empty())
            return m_status;
        chunk = std::move(m_full.front());
        m_full.pop_front();
        lock.unlock();
        m_changed.notify_all();
        return Status::Ok;
    }

private:
    static constexpr std::size_t Depth = 4;

    void run()
    {
        std::uint64_t total = 0;
        for (;;) {
            std::vector<char> buffer;
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [this] { return m_full.size() < Depth || m_cancelled; });
                if (m_cancelled)
                    return;
                if (!m_spare.empty()) {
                    buffer = std::move(m_spare.back());
                    m_spare.pop_back();
                }
            }
            buffer.resize(ReadChunk);
            const zip_int64_t n = zip_fread(m_file, buffer.data(), ReadChunk);
            Status status = Status::Ok;
            if (n < 0) {
                status = Status::ReadError;
            } else {
                total += std::uint64_t(n);
                buffer.resize(std::size_t(n));
                if (total > m_limit)
                    status = Status::TooLarge;
            }
            {
                const std::lock_guard lock(m_mutex);
                if (status == Status::Ok)
                    m_full.push_back(std::move(buffer));
                else
                    m_status = status;
            }
            m_changed.notify_all();
            if (status != Status::Ok || n == 0)
                return;
        }
    }

    zip_file_t *const m_file;
    const std::uint64_t m_limit;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::vector<char>> m_full;
    std::vector<std::vector<char>> m_spare;
    Status m_status = Status::Ok;
    bool m_cancelled = false;
    std::thread m_worker; // last: starts once the rest is set up
};

void ZipArchive::parse(const std::string &name, const QString &what, std::uint64_t limit, XmlHandler &handler,
                       const std::atomic<bool> *stop) const
{
    const zip_int64_t index = zip_name_locate(m_zip, name.c_str(), ZIP_FL_NOCASE);
    if (index < 0)
        throwDamaged(m_path, what, QStringLiteral("ontbreekt"));

    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(m_zip, zip_uint64_t(index), 0, &st) == 0 && (st.valid & ZIP_STAT_SIZE)) {
        const std::uint64_t size = st.size;
        if (size > limit)
            throw KwError(
                QStringLiteral("Het werkboek %1 wordt niet gelezen: %2 zou uitgepakt groter worden dan %3 MB. "
                               "Het bestand is beschadigd of opzettelijk misvormd.")
                    .arg(DisplayPath(m_path), what)
                    .arg(limit / MiB));
        if ((st.valid & ZIP_STAT_COMP_SIZE) && size >= RatioCheckFrom &&
            size / std::max<std::uint64_t>(st.comp_size, 1) > MaxRatio)
            throw KwError(
                QStringLiteral("Het werkboek %1 wordt niet gelezen: %2 zou uitgepakt meer dan %3 keer zo groot worden "
                               "als ingepakt. Het bestand is beschadigd of opzettelijk misvormd.")
                    .arg(DisplayPath(m_path), what)
                    .arg(MaxRatio));
    }

    zip_file_t *file = zip_fopen_index(m_zip, zip_uint64_t(index), 0);
    if (!file) {
        const int code = zip_error_code_zip(zip_get_error(m_zip));
        if (code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD || code == ZIP_ER_ENCRNOTSUPP)
            throw KwError(QStringLiteral("Het werkboek %1 is met een wachtwoord beveiligd en kan niet worden gelezen. "
                                         "Sla het op zonder wachtwoord.")
                              .arg(DisplayPath(m_path)));
        throwDamaged(m_path, what, QStringLiteral("kan niet worden uitgepakt"));
    }
    struct Closer
    {
        zip_file_t *f;
        ~Closer() { zip_fclose(f); }
    } closer{file};

    const auto tooLarge = [&] {
        // The header's size may lie; what really comes out is counted.
        return KwError(QStringLiteral("Het werkboek %1 wordt niet gelezen: %2 wordt uitgepakt groter dan %3 MB. "
                                      "Het bestand is beschadigd of opzettelijk misvormd.")
                           .arg(DisplayPath(m_path), what)
                           .arg(limit / MiB));
    };
    // The checks above hold only while the size they were made on is true:
    // what comes out beyond it is refused at once, not after a gigabyte.
    const std::uint64_t declared = (st.valid & ZIP_STAT_SIZE) ? st.size : limit;
    std::uint64_t inflated = 0;
    const auto count = [&](std::uint64_t n) {
        if (stop && *stop)
            throw Stopped();
        inflated += n;
        if (inflated > declared)
            throwDamaged(m_path, what, QStringLiteral("wordt groter uitgepakt dan het zip-bestand opgeeft"));
        if (inflated > limit)
            throw tooLarge();
    };
    ExpatParser parser(handler);
    std::uint64_t sinceClose = 0; // bytes since the last '>'
    const auto tokenTooLong = [&] {
        throwDamaged(m_path, what, QStringLiteral("bevat een XML-element van meer dan %1 MB").arg(MaxToken / MiB));
    };
    const auto feed = [&](const char *data, zip_int64_t n) {
        const auto size = std::size_t(n);
        const void *first = size ? std::memchr(data, '>', size) : nullptr;
        const std::uint64_t before = first ? std::uint64_t(static_cast<const char *>(first) - data) : size;
        if (sinceClose + before > MaxToken)
            tokenTooLong();
        if (first) {
            const char *last = data + size - 1;
            while (*last != '>')
                --last;
            sinceClose = std::uint64_t(data + size - 1 - last);
        } else {
            sinceClose += size;
        }
        if (XML_Parse(parser.get(), data, int(n), n == 0) == XML_STATUS_OK) {
            // A comment, CDATA section or processing instruction is one token whatever
            // '>' it holds: expat keeps all of it and reads it again with every chunk.
            const XML_Index at = XML_GetCurrentByteIndex(parser.get());
            if (at >= 0 && inflated > std::uint64_t(at) && inflated - std::uint64_t(at) > MaxToken)
                tokenTooLong();
            return;
        }
        if (handler.tooMuchLimit() > 0)
            throw KwError(QStringLiteral("Het werkboek %1 wordt niet gelezen: %2 zou meer dan %3 MB geheugen vragen. "
                                         "Het bestand is beschadigd of opzettelijk misvormd.")
                              .arg(DisplayPath(m_path), what)
                              .arg(handler.tooMuchLimit() / MiB));
        if (!handler.fault().isEmpty())
            throwDamaged(m_path, what, handler.fault());
        throwDamaged(m_path, what,
                     QStringLiteral("bevat ongeldige XML (regel %1)").arg(XML_GetCurrentLineNumber(parser.get())));
    };

    if ((st.valid & ZIP_STAT_SIZE) && st.size >= PipelineFrom) {
        ChunkPipe pipe(file, limit);
        std::vector<char> chunk;
        for (;;) {
            const ChunkPipe::Status status = pipe.next(chunk);
            if (status == ChunkPipe::Status::ReadError)
                throwDamaged(m_path, what, QStringLiteral("kan niet worden uitgepakt"));
            if (status == ChunkPipe::Status::TooLarge)
                throw tooLarge();
            count(chunk.size());
            feed(chunk.data(), zip_int64_t(chunk.size()));
            if (chunk.empty())
                return;
        }
    }

    std::vector<char> buffer(ReadChunk);
    for (;;) {
        const zip_int64_t n = zip_fread(file, buffer.data(), ReadChunk);
        if (n < 0)
            throwDamaged(m_path, what, QStringLiteral("kan niet worden uitgepakt"));
        count(std::uint64_t(n));
        feed(buffer.data(), n);
        if (n == 0)
            return;
    }
}

QByteArray ZipArchive::readSmall(const std::string &name) const
{
    zip_file_t *file = zip_fopen(m_zip, name.c_str(), ZIP_FL_NOCASE);
    if (!file)
        return {};
    QByteArray bytes(256, '\0');
    const zip_int64_t n = zip_fread(file, bytes.data(), zip_uint64_t(bytes.size()));
    zip_fclose(file);
    bytes.resize(n < 0 ? 0 : qsizetype(n));
    return bytes;
}

// --- package structure -----------------------------------------------------

std::string directoryOf(const std::string &part)
{
    const auto slash = part.rfind('/');
    return slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
}

std::string relsOf(const std::string &part)
{
    const auto slash = part.rfind('/');
    if (slash == std::string::npos)
        return "_rels/" + part + ".rels";
    return part.substr(0, slash + 1) + "_rels/" + part.substr(slash + 1) + ".rels";
}

// A relationship target relative to the source part's folder, or absolute.
std::string resolveTarget(const std::string &baseDir, const std::string &target)
{
    const std::string joined = !target.empty() && target[0] == '/' ? target.substr(1) : baseDir + target;
    std::vector<std::string> segments;
    std::size_t from = 0;
    while (from <= joined.size()) {
        std::size_t slash = joined.find('/', from);
        if (slash == std::string::npos)
            slash = joined.size();
        const std::string segment = joined.substr(from, slash - from);
        if (segment == "..") {
            if (!segments.empty())
                segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        from = slash + 1;
    }
    std::string out;
    for (const std::string &segment : segments)
        out += (out.empty() ? "" : "/") + segment;
    return out;
}

struct Relationship
{
    std::string type;
    std::string target;
};

bool typeIs(const std::string &type, const char *suffix)
{
    const std::size_t n = std::strlen(suffix);
    return type.size() >= n && type.compare(type.size() - n, n, suffix) == 0;
}

class RelsHandler final : public XmlHandler
{
public:
    std::map<std::string, Relationship> byId;

    void start(const char *local, const char **attrs) override
    {
        if (!is(local, "Relationship"))
            return;
        const char *id = attribute(attrs, "Id");
        const char *type = attribute(attrs, "Type");
        const char *target = attribute(attrs, "Target");
        const char *mode = attribute(attrs, "TargetMode");
        if (id && type && target && !(mode && std::strcmp(mode, "External") == 0))
            byId[id] = {type, target};
    }
    void end(const char *) override {}
};

class WorkbookHandler final : public XmlHandler
{
public:
    struct Entry
    {
        QString name;
        bool hidden = false;
        std::string relId;
    };
    std::vector<Entry> sheets;
    bool date1904 = false;
    std::string root;

    void start(const char *local, const char **attrs) override
    {
        if (root.empty())
            root = local;
        if (is(local, "workbookPr")) {
            const char *v = attribute(attrs, "date1904");
            date1904 = v && (std::strcmp(v, "1") == 0 || std::strcmp(v, "true") == 0);
        } else if (is(local, "sheet")) {
            if (sheets.size() >= MaxSheets)
                return fail(QStringLiteral("heeft meer dan %1 werkbladen").arg(MaxSheets));
            Entry entry;
            for (const char **a = attrs; *a; a += 2) {
                const char *colon = std::strchr(a[0], ':');
                if (std::strcmp(a[0], "name") == 0)
                    entry.name = QString::fromUtf8(a[1]);
                else if (std::strcmp(a[0], "state") == 0)
                    entry.hidden = std::strcmp(a[1], "visible") != 0;
                else if (colon && std::strcmp(colon + 1, "id") == 0) // r:id, whatever the prefix
                    entry.relId = a[1];
            }
            if (entry.name.size() > MaxSheetName)
                return fail(QStringLiteral("heeft een werkbladnaam van meer dan %1 tekens").arg(MaxSheetName));
            sheets.push_back(std::move(entry));
        }
    }
    void end(const char *) override {}
};

// cellXfs index -> whether its number format shows a date.
class StylesHandler final : public XmlHandler
{
public:
    std::vector<bool> dateStyles() const
    {
        std::vector<bool> out;
        out.reserve(m_xfFormats.size());
        for (int id : m_xfFormats) {
            const auto custom = m_customDate.find(id);
            out.push_back(custom != m_customDate.end() ? custom->second : IsBuiltinDateFormat(id));
        }
        return out;
    }

    void start(const char *local, const char **attrs) override
    {
        if (is(local, "numFmt")) {
            const char *id = attribute(attrs, "numFmtId");
            const char *code = attribute(attrs, "formatCode");
            int value = 0;
            if (id && code && parseUnsigned(id, value))
                m_customDate[value] = IsDateFormatCode(QString::fromUtf8(code));
        } else if (is(local, "cellXfs")) {
            m_inCellXfs = true;
        } else if (m_inCellXfs && is(local, "xf")) {
            const char *id = attribute(attrs, "numFmtId");
            int value = 0;
            m_xfFormats.push_back(id && parseUnsigned(id, value) ? value : 0);
        }
    }
    void end(const char *local) override
    {
        if (is(local, "cellXfs"))
            m_inCellXfs = false;
    }

private:
    std::map<int, bool> m_customDate;
    std::vector<int> m_xfFormats;
    bool m_inCellXfs = false;
};

// Adds the text; false when it is longer than a cell may hold.
bool addText(StringPool &pool, const std::string &utf8)
{
    if (utf8.find("_x") == std::string::npos)
        pool.addUtf8(utf8);
    else
        pool.add(DecodeXmlEscapes(QString::fromUtf8(utf8.data(), qsizetype(utf8.size()))));
    return pool.length(pool.size() - 1) <= ReadLimits::MaxCellText;
}

class SharedStringsHandler final : public XmlHandler
{
public:
    static constexpr std::uint32_t NoIndex = 0xFFFFFFFF;
    SharedStringsHandler(StringPool &pool, std::uint64_t keptLimit) : m_pool(pool), m_keptLimit(keptLimit) {}

    // The first text longer than a cell may hold; the parse stops there.
    std::uint32_t tooLongIndex() const { return m_tooLong; }

    void start(const char *local, const char **) override
    {
        if (is(local, "si")) {
            m_buffer.clear();
            m_inItem = true;
        } else if (is(local, "rPh")) {
            ++m_phonetic; // reading aids, not part of the text
        } else if (is(local, "t")) {
            m_inText = m_inItem && m_phonetic == 0;
        }
    }
    void end(const char *local) override
    {
        if (is(local, "t")) {
            m_inText = false;
        } else if (is(local, "rPh")) {
            --m_phonetic;
        } else if (is(local, "si")) {
            m_inItem = false;
            const std::uint32_t index = m_pool.size();
            if (!addText(m_pool, m_buffer))
                return tooLong(index);
            if (m_pool.keptBytes() > m_keptLimit)
                tooMuch(m_keptLimit);
        }
    }
    void text(const char *s, int len) override
    {
        if (!m_inText)
            return;
        if (m_buffer.size() + std::size_t(len) > MaxTextBytes)
            return tooLong(m_pool.size());
        m_buffer.append(s, std::size_t(len));
    }

private:
    void tooLong(std::uint32_t index)
    {
        m_tooLong = index;
        fail(TooLongTextFault());
    }

    StringPool &m_pool;
    const std::uint64_t m_keptLimit;
    std::uint32_t m_tooLong = NoIndex;
    std::string m_buffer;
    int m_phonetic = 0;
    bool m_inItem = false;
    bool m_inText = false;
};

// The automation date of an ISO 8601 date, date-time or time.
bool isoSerial(std::string_view raw, double &serial)
{
    QString text = QString::fromLatin1(trimmed(raw).data(), qsizetype(trimmed(raw).size()));
    if (text.endsWith(QLatin1Char('Z')))
        text.chop(1);
    const QDate epoch(1899, 12, 30);
    if (text.contains(QLatin1Char('T'))) {
        const QDateTime dt = QDateTime::fromString(text, Qt::ISODateWithMs);
        if (!dt.isValid())
            return false;
        serial = double(epoch.daysTo(dt.date())) + dt.time().msecsSinceStartOfDay() / 86400000.0;
        return true;
    }
    if (text.contains(QLatin1Char(':'))) {
        const QTime time = QTime::fromString(text, Qt::ISODateWithMs);
        serial = time.msecsSinceStartOfDay() / 86400000.0;
        return time.isValid();
    }
    const QDate date = QDate::fromString(text, Qt::ISODate);
    serial = double(epoch.daysTo(date));
    return date.isValid();
}

class SheetHandler final : public XmlHandler
{
public:
    // sharedCount: the number of shared strings, or NotYetKnown while they are
    // still being read; then the caller checks highestShared() afterwards.
    static constexpr std::uint32_t NotYetKnown = 0xFFFFFFFF;
    SheetHandler(SheetCells &cells, const std::vector<bool> &dateStyles, bool date1904, std::uint32_t sharedCount,
                 std::uint64_t keptLimit)
        : m_cells(cells), m_dateStyles(dateStyles), m_date1904(date1904), m_sharedCount(sharedCount),
          m_keptLimit(keptLimit)
    {}

    // The highest shared string index used, and the fault naming its cell.
    bool usesShared() const { return m_usesShared; }
    std::uint32_t highestShared() const { return m_highestShared; }
    QString highestSharedFault() const { return cellFault(m_highestRow, m_highestColumn, SharedMissing); }

    void start(const char *local, const char **attrs) override
    {
        switch (local[0]) {
        case 'c':
            if (local[1] == '\0' && m_inData)
                startCell(attrs);
            return;
        case 'v':
            if (local[1] == '\0' && m_inCell) {
                m_hasValue = true;
                m_buffer.clear();
                m_capture = true;
            }
            return;
        case 'f':
            if (local[1] == '\0')
                m_hasFormula = true;
            return;
        case 'i':
            if (is(local, "is") && m_inCell) {
                m_inInline = true;
                m_hasInline = true;
                m_buffer.clear();
            }
            return;
        case 't':
            if (local[1] == '\0' && m_inInline && m_phonetic == 0)
                m_capture = true;
            return;
        case 'r':
            if (is(local, "row"))
                startRow(attrs);
            else if (is(local, "rPh"))
                ++m_phonetic;
            return;
        case 's':
            if (is(local, "sheetData"))
                m_inData = true;
            return;
        case 'd':
            if (is(local, "dimension"))
                reserveFor(attribute(attrs, "ref"));
            return;
        default:
            return;
        }
    }

    void end(const char *local) override
    {
        if (local[1] == '\0') {
            if (local[0] == 'v' || local[0] == 't')
                m_capture = false;
            else if (local[0] == 'c' && m_inCell)
                endCell();
        } else if (is(local, "is")) {
            m_inInline = false;
        } else if (is(local, "rPh")) {
            --m_phonetic;
        } else if (is(local, "sheetData")) {
            m_inData = false;
        }
    }

    void text(const char *s, int len) override
    {
        if (!m_capture)
            return;
        if (m_buffer.size() + std::size_t(len) > MaxTextBytes) {
            m_capture = false;
            return fail(cellFault(TooLongTextFault()));
        }
        m_buffer.append(s, std::size_t(len));
    }

private:
    enum class Type
    {
        Number,
        Shared,
        Inline,
        String,
        Boolean,
        Error,
        Date,
        Unknown
    };

    void startRow(const char **attrs)
    {
        const char *r = attribute(attrs, "r");
        std::uint32_t row = m_row + 1;
        if ((r && !parseUnsigned(std::string_view(r), row)) || row > MaxRow)
            return fail(QStringLiteral("heeft een ongeldig rijnummer \"%1\"")
                            .arg(r ? ShownValue(QString::fromUtf8(r)) : QString::number(row)));
        if (row == 0)
            return fail(QStringLiteral("heeft rijnummer 0"));
        m_row = row;
        m_column = 0;
    }

    void startCell(const char **attrs)
    {
        m_inCell = true;
        m_hasValue = m_hasFormula = m_hasInline = false;
        m_type = Type::Number;
        m_style = 0;
        std::uint32_t row = m_row == 0 ? 1 : m_row;
        std::uint32_t column = m_column + 1;
        for (const char **a = attrs; *a; a += 2) {
            const char *name = a[0];
            const char *value = a[1];
            if (name[1] != '\0')
                continue;
            if (name[0] == 'r') {
                if (!parseReference(value, row, column))
                    return fail(QStringLiteral("heeft een ongeldige celverwijzing \"%1\"")
                                    .arg(ShownValue(QString::fromUtf8(value))));
            } else if (name[0] == 't') {
                m_type = typeOf(value);
            } else if (name[0] == 's') {
                if (!parseUnsigned(std::string_view(value), m_style))
                    m_style = 0;
            }
        }
        if (column > MaxColumn)
            return fail(QStringLiteral("heeft een cel voorbij de laatste kolom XFD"));
        m_row = row;
        m_column = column;
    }

    static Type typeOf(const char *t)
    {
        if (std::strcmp(t, "s") == 0)
            return Type::Shared;
        if (std::strcmp(t, "n") == 0)
            return Type::Number;
        if (std::strcmp(t, "str") == 0)
            return Type::String;
        if (std::strcmp(t, "inlineStr") == 0)
            return Type::Inline;
        if (std::strcmp(t, "b") == 0)
            return Type::Boolean;
        if (std::strcmp(t, "e") == 0)
            return Type::Error;
        if (std::strcmp(t, "d") == 0)
            return Type::Date;
        return Type::Unknown;
    }

    // "AB12": letters for the column, digits for the row; the row may be left out.
    static bool parseReference(const char *ref, std::uint32_t &row, std::uint32_t &column)
    {
        std::uint32_t col = 0;
        const char *p = ref;
        for (; (*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z'); ++p) {
            col = col * 26 + std::uint32_t((*p & ~0x20) - 'A' + 1);
            if (col > MaxColumn)
                return false;
        }
        if (col == 0)
            return false;
        column = col;
        if (*p == '\0')
            return true;
        std::uint32_t r = 0;
        if (!parseUnsigned(std::string_view(p), r) || r == 0 || r > MaxRow)
            return false;
        row = r;
        return true;
    }

    void reserveFor(const char *ref)
    {
        // A hint only: the dimension may be missing or wrong.
        if (!ref)
            return;
        const char *colon = std::strchr(ref, ':');
        if (!colon)
            return;
        std::uint32_t r1 = 1, c1 = 1, r2 = 1, c2 = 1;
        if (parseReference(std::string(ref, colon).c_str(), r1, c1) && parseReference(colon + 1, r2, c2) && r2 >= r1 &&
            c2 >= c1)
            m_cells.reserve(std::min<std::size_t>(
                {std::size_t(r2 - r1 + 1) * (c2 - c1 + 1), 4u << 20, std::size_t(m_keptLimit / 16)}));
    }

    void endCell()
    {
        storeCell();
        if (m_cells.keptBytes() > m_keptLimit)
            tooMuch(m_keptLimit);
    }

    void storeCell()
    {
        m_inCell = false;
        m_capture = false;
        const std::uint16_t column = std::uint16_t(m_column);
        // A formula that was saved without its result must not read as empty.
        const bool noValue = !m_hasValue || trimmed(m_buffer).empty();
        if (noValue && m_type != Type::Inline && m_type != Type::String) {
            if (m_hasFormula)
                m_cells.addNumber(m_row, column, SheetCells::Kind::FormulaWithoutValue, 0.0);
            return;
        }
        switch (m_type) {
        case Type::Number:
            return addNumber(column);
        case Type::Shared: {
            std::uint32_t index = 0;
            if (!parseUnsigned(std::string_view(m_buffer), index) || index >= m_sharedCount)
                return fail(cellFault(SharedMissing));
            if (!m_usesShared || index > m_highestShared) {
                m_usesShared = true;
                m_highestShared = index;
                m_highestRow = m_row;
                m_highestColumn = m_column;
            }
            return m_cells.addString(m_row, column, SheetCells::Kind::SharedText, index);
        }
        case Type::Inline:
            if (m_hasInline || m_hasValue)
                addText(column, SheetCells::Kind::Text);
            else if (m_hasFormula)
                m_cells.addNumber(m_row, column, SheetCells::Kind::FormulaWithoutValue, 0.0);
            return;
        case Type::String:
            if (m_hasValue)
                addText(column, SheetCells::Kind::Text);
            else if (m_hasFormula)
                m_cells.addNumber(m_row, column, SheetCells::Kind::FormulaWithoutValue, 0.0);
            return;
        case Type::Boolean: {
            const std::string_view v = trimmed(m_buffer);
            return m_cells.addNumber(m_row, column, SheetCells::Kind::Boolean, v == "1" || v == "true" ? 1.0 : 0.0);
        }
        case Type::Error:
            m_buffer = std::string(trimmed(m_buffer));
            return addText(column, SheetCells::Kind::Error);
        case Type::Date: {
            double serial = 0;
            if (isoSerial(m_buffer, serial))
                return m_cells.addNumber(m_row, column, SheetCells::Kind::Date, serial);
            return addText(column, SheetCells::Kind::Other);
        }
        case Type::Unknown:
            return addText(column, SheetCells::Kind::Other);
        }
    }

    void addNumber(std::uint16_t column)
    {
        const std::string_view v = trimmed(m_buffer);
        double value = 0;
        const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), value);
        if (ec != std::errc() || end != v.data() + v.size())
            return fail(cellFault(QStringLiteral("bevat het ongeldige getal \"%1\"")
                                      .arg(ShownValue(QString::fromUtf8(v.data(), qsizetype(v.size()))))));
        if (m_style < m_dateStyles.size() && m_dateStyles[m_style]) {
            if (m_date1904)
                value += 1462.0;
            else if (value >= 1.0 && value < 60.0)
                value += 1.0; // the 1900 system counts a 29 February 1900 that never was
            return m_cells.addNumber(m_row, column, SheetCells::Kind::Date, value);
        }
        m_cells.addNumber(m_row, column, SheetCells::Kind::Number, value);
    }

    void addText(std::uint16_t column, SheetCells::Kind kind)
    {
        StringPool &pool = m_cells.strings();
        const std::uint32_t before = pool.size();
        if (!::addText(pool, m_buffer))
            return fail(cellFault(TooLongTextFault()));
        m_cells.addString(m_row, column, kind, before);
    }

public:
    static QString cellFault(std::uint32_t row, std::uint32_t column, const QString &what)
    {
        return QStringLiteral("cel %1 %2").arg(CellName(row, column), what);
    }

private:
    QString cellFault(const QString &what) const { return cellFault(m_row, m_column, what); }

    SheetCells &m_cells;
    const std::vector<bool> &m_dateStyles;
    const bool m_date1904;
    const std::uint32_t m_sharedCount;
    const std::uint64_t m_keptLimit;
    static inline const QString SharedMissing = QStringLiteral("verwijst naar een gedeelde tekst die niet bestaat");
    std::uint32_t m_highestRow = 0;
    std::uint32_t m_highestColumn = 0;
    std::uint32_t m_highestShared = 0;
    bool m_usesShared = false;

    std::string m_buffer;
    std::uint32_t m_row = 0;
    std::uint32_t m_column = 0;
    std::uint32_t m_style = 0;
    Type m_type = Type::Number;
    int m_phonetic = 0;
    bool m_inData = false;
    bool m_inCell = false;
    bool m_inInline = false;
    bool m_capture = false;
    bool m_hasValue = false;
    bool m_hasFormula = false;
    bool m_hasInline = false;
};

// --- the workbook ----------------------------------------------------------

class XlsxWorkbook final : public Workbook
{
public:
    explicit XlsxWorkbook(const QString &path) : Workbook(path), m_zip(std::make_unique<ZipArchive>(path))
    {
        const std::string workbookPart = findWorkbookPart();

        WorkbookHandler book;
        m_zip->parse(workbookPart, partWhat(workbookPart), SmallPartLimit, book);
        if (book.root != "workbook")
            notAWorkbook();
        m_date1904 = book.date1904;

        RelsHandler rels;
        const std::string relsPart = relsOf(workbookPart);
        m_zip->parse(relsPart, partWhat(relsPart), SmallPartLimit, rels);
        const std::string baseDir = directoryOf(workbookPart);
        for (const auto &[id, rel] : rels.byId) {
            if (typeIs(rel.type, "/sharedStrings"))
                m_sharedStringsPart = resolveTarget(baseDir, rel.target);
            else if (typeIs(rel.type, "/styles"))
                m_stylesPart = resolveTarget(baseDir, rel.target);
        }

        for (const WorkbookHandler::Entry &entry : book.sheets) {
            const auto rel = rels.byId.find(entry.relId);
            if (rel == rels.byId.end())
                throwDamaged(path, QStringLiteral("het werkblad \"%1\"").arg(entry.name),
                             QStringLiteral("heeft geen onderdeel in ") + QString::fromStdString(relsPart));
            // Chart sheets and the like are no worksheets.
            if (!typeIs(rel->second.type, "/worksheet"))
                continue;
            m_sheets.append({entry.name, entry.hidden});
            m_sheetParts.push_back(resolveTarget(baseDir, rel->second.target));
        }
    }

    void releaseFile() override { m_zip.reset(); }

protected:
    std::unique_ptr<SheetCells> readSheet(int index) override
    {
        if (!m_zip)
            m_zip = std::make_unique<ZipArchive>(m_path);
        if (!m_stylesRead) {
            if (!m_stylesPart.empty() && m_zip->contains(m_stylesPart)) {
                StylesHandler styles;
                m_zip->parse(m_stylesPart, partWhat(m_stylesPart), SmallPartLimit, styles);
                m_dateStyles = styles.dateStyles();
            }
            m_stylesRead = true;
        }
        // The shared strings of a large workbook take a third of the time of its
        // first sheet: read them on a second thread, from a second handle.
        // One sheet is kept at a time beside the shared strings; the others are read again when asked for.
        for (std::size_t i = 0; i < m_cells.size(); ++i) {
            if (i != std::size_t(index))
                m_cells[i].reset();
        }
        const std::uint64_t keptLimit = ReadLimits::KeptLimit(m_zip->fileSize());
        std::shared_ptr<StringPool> pending;
        std::exception_ptr sharedError;
        std::uint32_t tooLong = SharedStringsHandler::NoIndex;
        std::atomic<bool> stopShared = false;
        std::thread sharedReader;
        if (!m_shared) {
            pending = std::make_shared<StringPool>();
            if (!m_sharedStringsPart.empty()) {
                sharedReader = std::thread([&, pool = pending.get()] {
                    try {
                        const ZipArchive zip(m_path);
                        SharedStringsHandler handler(*pool, keptLimit);
                        try {
                            zip.parse(m_sharedStringsPart, partWhat(m_sharedStringsPart), SharedStringsLimit, handler,
                                      &stopShared);
                        } catch (...) {
                            tooLong = handler.tooLongIndex();
                            throw;
                        }
                        pool->squeeze();
                    } catch (...) {
                        sharedError = std::current_exception();
                    }
                });
            }
        }
        struct Joiner
        {
            std::thread &t;
            std::atomic<bool> &stop;
            ~Joiner()
            {
                // Reached with the thread still running only when the sheet failed.
                stop = true;
                if (t.joinable())
                    t.join();
            }
        } joiner{sharedReader, stopShared};

        const std::string &part = m_sheetParts[std::size_t(index)];
        const QString what =
            QStringLiteral("het werkblad \"%1\" (%2)").arg(m_sheets[index].name, QString::fromStdString(part));
        auto cells = std::make_unique<SheetCells>(m_shared ? m_shared : pending);
        SheetHandler handler(*cells, m_dateStyles, m_date1904, m_shared ? m_shared->size() : SheetHandler::NotYetKnown,
                             keptLimit);
        m_zip->parse(part, what, SheetLimit, handler);

        if (pending) {
            if (sharedReader.joinable())
                sharedReader.join();
            std::uint32_t row = 0, column = 0;
            if (sharedError && tooLong != SharedStringsHandler::NoIndex && cells->findShared(tooLong, row, column))
                throwDamaged(m_path, what, SheetHandler::cellFault(row, column, TooLongTextFault()));
            if (sharedError)
                std::rethrow_exception(sharedError);
            m_shared = pending;
            if (handler.usesShared() && handler.highestShared() >= m_shared->size())
                throwDamaged(m_path, what, handler.highestSharedFault());
        }
        cells->finish();
        return cells;
    }

private:
    [[noreturn]] void notAWorkbook() const
    {
        throw KwError(
            QStringLiteral("Het bestand %1 is geen Excel werkboek (.xlsx of .xls).").arg(DisplayPath(m_path)));
    }

    std::string findWorkbookPart() const
    {
        std::string target;
        if (m_zip->contains("_rels/.rels")) {
            RelsHandler root;
            m_zip->parse("_rels/.rels", partWhat("_rels/.rels"), SmallPartLimit, root);
            for (const auto &[id, rel] : root.byId) {
                if (typeIs(rel.type, "/officeDocument"))
                    target = resolveTarget({}, rel.target);
            }
        }
        if (target.size() > 4 && target.compare(target.size() - 4, 4, ".bin") == 0)
            throw KwError(QStringLiteral("Het bestand %1 is een binair Excel werkboek (.xlsb), dat niet kan worden "
                                         "gelezen. Sla het in Excel op als .xlsx.")
                              .arg(DisplayPath(m_path)));
        if (!target.empty())
            return target; // a missing part is reported when it is read
        if (m_zip->contains("xl/workbook.xml"))
            return "xl/workbook.xml";
        if (m_zip->readSmall("mimetype").startsWith("application/vnd.oasis.opendocument.spreadsheet"))
            throw KwError(QStringLiteral("Het bestand %1 is een OpenDocument rekenblad (.ods), dat niet kan worden "
                                         "gelezen. Sla het op als Excel werkboek (.xlsx).")
                              .arg(DisplayPath(m_path)));
        if (m_zip->contains("[Content_Types].xml") && m_zip->contains("xl/_rels/workbook.xml.rels"))
            throwDamaged(m_path, partWhat("xl/workbook.xml"), QStringLiteral("ontbreekt"));
        notAWorkbook();
    }

    std::unique_ptr<ZipArchive> m_zip;
    std::vector<std::string> m_sheetParts;
    std::string m_sharedStringsPart;
    std::string m_stylesPart;
    std::vector<bool> m_dateStyles;
    std::shared_ptr<const StringPool> m_shared;
    bool m_stylesRead = false;
    bool m_date1904 = false;
};

} // namespace

QString DecodeXmlEscapes(const QString &text)
{
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        if (text[i] == QLatin1Char('_') && i + 6 < n && text[i + 1] == QLatin1Char('x') &&
            text[i + 6] == QLatin1Char('_')) {
            bool ok = false;
            const ushort code = text.mid(i + 2, 4).toUShort(&ok, 16);
            if (ok) {
                out += QChar(code);
                i += 7;
                continue;
            }
        }
        out += text[i++];
    }
    return out;
}

std::unique_ptr<Workbook> ReadXlsxWorkbook(const QString &path)
{
    return std::make_unique<XlsxWorkbook>(path);
}
