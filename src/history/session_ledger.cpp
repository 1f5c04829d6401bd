#include "history/session_ledger.h"

#include <QFileInfo>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cerrno>

#include "platform/durable_file.h"
#include "platform/file_system.h"

namespace lt {

namespace {

constexpr char kMagic[4] = {'L', 'T', 'L', 'G'};
constexpr int kHeaderSize = 4 + 8 + 4 + 4;  // magic, sequence, payload length, checksum
constexpr quint16 kFormat = 1;
// The record's six texts, the period's time and hours, then the bytes received and sent.
constexpr int kFields = 10;

std::uint32_t crc32(const char* data, qsizetype size) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (qsizetype i = 0; i < size; ++i)
        c = table[(c ^ static_cast<unsigned char>(data[i])) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

template <class T>
void put(QByteArray& out, T value) {
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof(T));
}

class Reader {
  public:
    explicit Reader(QByteArrayView bytes) : bytes_(bytes) {}
    template <class T>
    std::optional<T> get() {
        if (at_ + static_cast<qsizetype>(sizeof(T)) > bytes_.size()) return std::nullopt;
        const T v = qFromLittleEndian<T>(bytes_.data() + at_);
        at_ += sizeof(T);
        return v;
    }
    std::optional<QString> text() {
        const auto n = get<quint32>();
        if (!n || at_ + static_cast<qsizetype>(*n) > bytes_.size()) return std::nullopt;
        const QString s = QString::fromUtf8(bytes_.sliced(at_, *n));
        at_ += *n;
        return s;
    }
    bool atEnd() const { return at_ == bytes_.size(); }

  private:
    QByteArrayView bytes_;
    qsizetype at_ = 0;
};

void putText(QByteArray& out, const QString& s) {
    const QByteArray utf8 = s.toUtf8();
    put<quint32>(out, static_cast<quint32>(utf8.size()));
    out.append(utf8);
}

void putEntry(QByteArray& out, const LedgerEntry& e) {
    put<quint64>(out, e.id);
    put<quint16>(out, kFields);
    const SessionRecord& r = e.record;
    for (const QString* f :
         {&r.fecha, &r.HoraInicio, &r.HoraFinalizacion, &r.TiempoConexion, &r.costo,
          &r.CostoAcumulado, &e.horasAcum, &e.diasAcum, &r.BytesRecibidos, &r.BytesEnviados})
        putText(out, *f);
}

std::optional<LedgerEntry> getEntry(Reader& in) {
    const auto id = in.get<quint64>();
    const auto fields = in.get<quint16>();
    if (!id || !fields) return std::nullopt;
    QStringList texts;
    // A later version may add fields; what this one knows comes first.
    for (int i = 0; i < *fields; ++i) {
        auto t = in.text();
        if (!t) return std::nullopt;
        texts << *t;
    }
    while (texts.size() < kFields) texts << QString();
    LedgerEntry e;
    e.id = *id;
    e.record = SessionRecord::fromRow(texts.mid(0, 6) << texts[8] << texts[9]);
    e.horasAcum = texts[6];
    e.diasAcum = texts[7];
    return e;
}

}  // namespace

SessionLedger::SessionLedger(FileSystem& fs, QString path) : fs_(fs), path_(std::move(path)) {}

SessionLedger::~SessionLedger() {
    closeFile();
}

void SessionLedger::closeFile() {
    if (fd_ >= 0) fs_.close(fd_);
    fd_ = -1;
}

QByteArray SessionLedger::encodeSlot(std::uint64_t sequence,
                                     const std::optional<LedgerEntry>& running,
                                     const std::vector<LedgerEntry>& finished) {
    QByteArray payload;
    put<quint16>(payload, kFormat);
    put<quint8>(payload, running ? 1 : 0);
    if (running) putEntry(payload, *running);
    put<quint32>(payload, static_cast<quint32>(finished.size()));
    for (const LedgerEntry& e : finished) putEntry(payload, e);

    QByteArray slot(kMagic, 4);
    put<quint64>(slot, sequence);
    put<quint32>(slot, static_cast<quint32>(payload.size()));
    QByteArray summed;
    put<quint64>(summed, sequence);
    summed += payload;
    put<quint32>(slot, crc32(summed.constData(), summed.size()));
    slot += payload;
    return slot;
}

std::optional<SessionLedger::Slot> SessionLedger::decodeSlot(const QByteArray& bytes) {
    if (bytes.size() < kHeaderSize || !bytes.startsWith(QByteArrayView(kMagic, 4)))
        return std::nullopt;
    Reader header(QByteArrayView(bytes).sliced(4, kHeaderSize - 4));
    const auto sequence = header.get<quint64>();
    const auto length = header.get<quint32>();
    const auto checksum = header.get<quint32>();
    if (!sequence || !length || !checksum || *length > bytes.size() - kHeaderSize)
        return std::nullopt;
    const QByteArrayView payload = QByteArrayView(bytes).sliced(kHeaderSize, *length);
    QByteArray summed;
    put<quint64>(summed, *sequence);
    summed += payload;
    if (crc32(summed.constData(), summed.size()) != *checksum) return std::nullopt;

    Reader in(payload);
    const auto format = in.get<quint16>();
    const auto hasRunning = in.get<quint8>();
    if (!format || *format != kFormat || !hasRunning) return std::nullopt;
    Slot slot;
    slot.sequence = *sequence;
    if (*hasRunning) {
        slot.running = getEntry(in);
        if (!slot.running) return std::nullopt;
    }
    const auto count = in.get<quint32>();
    if (!count) return std::nullopt;
    for (quint32 i = 0; i < *count; ++i) {
        auto e = getEntry(in);
        if (!e) return std::nullopt;
        slot.finished.push_back(std::move(*e));
    }
    if (!in.atEnd()) return std::nullopt;
    return slot;
}

bool SessionLedger::openFile() {
    if (fd_ >= 0) return true;
    const int fd = fs_.open(path_, FileSystem::CreateReadWrite);
    if (fd < 0) {
        error_ = QStringLiteral("cannot open %1: %2").arg(path_, errorText(fd));
        return false;
    }
    const std::int64_t size = fs_.size(fd);
    if (size < kFileSize) {
        // All of its room now, while there is some: later writes only overwrite it.
        int r = fs_.allocate(fd, kFileSize);
        if (r == 0) r = fs_.fsync(fd);
        if (r == 0 && size == 0) r = fs_.syncFolder(QFileInfo(path_).path());
        if (r != 0) {
            error_ = QStringLiteral("cannot reserve room for %1: %2").arg(path_, errorText(r));
            fs_.close(fd);
            // A file just made and left without its room would be no ledger at all.
            if (size == 0) fs_.remove(path_);
            return false;
        }
    }
    fd_ = fd;
    return true;
}

bool SessionLedger::open() {
    if (!openFile()) return false;
    std::optional<Slot> newest;
    for (int s = 0; s < 2; ++s) {
        QByteArray bytes(kSlotSize, Qt::Uninitialized);
        const std::int64_t n = fs_.pread(fd_, bytes.data(), kSlotSize, s * kSlotSize);
        if (n <= 0) continue;
        bytes.truncate(n);
        auto slot = decodeSlot(bytes);
        if (slot && (!newest || slot->sequence > newest->sequence)) newest = std::move(slot);
    }
    if (newest) {
        sequence_ = newest->sequence;
        running_ = std::move(newest->running);
        finished_ = std::move(newest->finished);
    }
    return true;
}

bool SessionLedger::write() {
    // A folder that was read-only, or a disk that was full, may have come back.
    if (!openFile()) return false;
    const QByteArray slot = encodeSlot(sequence_ + 1, running_, finished_);
    if (slot.size() > kSlotSize) {
        error_ = QStringLiteral("%1 is full: %2 sessions wait for the history")
                     .arg(path_)
                     .arg(finished_.size());
        return false;
    }
    const std::int64_t offset = static_cast<std::int64_t>((sequence_ + 1) % 2) * kSlotSize;
    int r = writeAll(fs_, fd_, slot, offset);
    if (r == 0) r = fs_.fdatasync(fd_);
    if (r != 0) {
        error_ = QStringLiteral("cannot write %1: %2").arg(path_, errorText(r));
        // The next change opens the file afresh (it may have been replaced or remounted).
        closeFile();
        return false;
    }
    ++sequence_;
    return true;
}

bool SessionLedger::setRunning(const LedgerEntry& entry) {
    running_ = entry;
    return write();
}

bool SessionLedger::finish(const LedgerEntry& entry) {
    running_.reset();
    const auto same = [&entry](const LedgerEntry& e) { return e.id == entry.id; };
    if (std::none_of(finished_.begin(), finished_.end(), same)) finished_.push_back(entry);
    return write();
}

bool SessionLedger::add(const std::vector<LedgerEntry>& entries) {
    finished_.insert(finished_.end(), entries.begin(), entries.end());
    return write();
}

bool SessionLedger::committed(const std::vector<std::uint64_t>& ids) {
    const auto before = finished_.size();
    std::erase_if(finished_, [&ids](const LedgerEntry& e) {
        return std::find(ids.begin(), ids.end(), e.id) != ids.end();
    });
    return finished_.size() == before || write();
}

}  // namespace lt
