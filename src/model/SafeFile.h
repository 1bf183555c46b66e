#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Where a document's bytes go, piece by piece and in order.
class ByteOutput
{
public:
    virtual ~ByteOutput() = default;
    // How many bytes are about to come; an output may make room for them.
    virtual void reserve(qsizetype size) { Q_UNUSED(size); }
    // False when the bytes could not be taken; errorString() says why.
    virtual bool write(QByteArrayView bytes) = 0;
    virtual QString errorString() const = 0;
};

// Every byte kept in memory, for a document that is saved in one piece.
class ByteBuffer final : public ByteOutput
{
public:
    void reserve(qsizetype size) override { m_bytes.reserve(size); }
    bool write(QByteArrayView bytes) override
    {
        m_bytes.append(bytes);
        return true;
    }
    QString errorString() const override { return {}; }
    const QByteArray &bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

// A file that is replaced only whole: the bytes go to a temporary file in the
// same folder, and commit() flushes it to disk and renames it over path. A
// full disk or a crash never leaves a truncated file, and the temporary file
// is removed unless it was committed. (QSaveFile reports success after a
// short write.) Errors are Dutch messages naming path. The temporary file is
// "." + the file's name + ".kw" + process id + "@" + computer + "." + six
// characters, so that one a killed process left can be told and removed.
class SafeFile final : public ByteOutput
{
public:
    explicit SafeFile(QString path);
    ~SafeFile() override;
    SafeFile(const SafeFile &) = delete;
    SafeFile &operator=(const SafeFile &) = delete;

    // Makes the temporary file; it takes the permissions of the file it replaces.
    bool open();
    bool write(QByteArrayView bytes) override;
    // Flushes, closes and renames the temporary file into place.
    bool commit();
    QString errorString() const override { return m_error; }
    // The system's error number of the failure; 0 while none.
    int systemError() const { return m_errno; }

private:
    bool fail(int err);

    QString m_path;
    QByteArray m_temp;
    int m_fd = -1;
    QString m_error;
    int m_errno = 0;
    qint64 m_written = 0;
    qint64 m_writeBackFrom = 0; // what the disk has been asked to take so far
};

// The bytes written through a SafeFile in one go. False with the message in
// *error when the file could not be written (the old file then stays intact).
bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *error = nullptr);

// Whether WriteFileAtomically could write path now: its folder takes a temporary
// file, and path is no folder. False with the message in *error.
bool CanWriteFileAtomically(const QString &path, QString *error = nullptr);

// Removes the temporary files of SafeFile in folder that a process of this
// computer left when it ended without removing them (killed, a power cut);
// those of a running process and of other computers stay. The number removed.
int RemoveLeftoverTempFiles(const QString &folder);
