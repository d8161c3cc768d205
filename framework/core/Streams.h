#pragma once
// Byte streams: the abstract TStream, an in-memory stream and a file stream on POSIX descriptors.
#include "framework/core/Export.h"
#include "framework/core/Object.h"

#include <algorithm>
#include <vector>

namespace qel {

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

// File modes, combined as in the classic framework: an open mode or'ed with a share mode.
constexpr uint16_t fmCreate = 0xFF00;
constexpr uint16_t fmOpenRead = 0x0000;
constexpr uint16_t fmOpenWrite = 0x0001;
constexpr uint16_t fmOpenReadWrite = 0x0002;
constexpr uint16_t fmShareCompat = 0x0000;
constexpr uint16_t fmShareExclusive = 0x0010;
constexpr uint16_t fmShareDenyWrite = 0x0020;
constexpr uint16_t fmShareDenyRead = 0x0030;
constexpr uint16_t fmShareDenyNone = 0x0040;

class QEL_FRAMEWORK_EXPORT TStream : public TObject {
    Q_OBJECT
public:
    // Read and Write move up to Count bytes and return how many moved.
    virtual int64_t Read(void* Buffer, int64_t Count) = 0;
    virtual int64_t Write(const void* Buffer, int64_t Count) = 0;
    virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;

    // The Buffer variants move exactly Count bytes or raise EReadError / EWriteError.
    void ReadBuffer(void* Buffer, int64_t Count);
    void WriteBuffer(const void* Buffer, int64_t Count);
    void WriteString(const String& Text) { WriteBuffer(Text.data(), static_cast<int64_t>(Text.size())); }
    String ReadString(int64_t Count);  // up to Count bytes from the current position

    int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(int64_t Pos) { Seek(Pos, soBeginning); }
    virtual int64_t Size();
    virtual void SetSize(int64_t NewSize);
    // Copies Count bytes from Source (its whole content from the start when Count is 0).
    int64_t CopyFrom(TStream* Source, int64_t Count);
};

class QEL_FRAMEWORK_EXPORT TMemoryStream : public TStream {
    Q_OBJECT
public:
    TMemoryStream() = default;

    int64_t Read(void* Buffer, int64_t Count) override;
    int64_t Write(const void* Buffer, int64_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    int64_t Size() override { return static_cast<int64_t>(FData.size()); }
    void SetSize(int64_t NewSize) override;

    void Clear();
    void Reserve(int64_t Capacity) { FData.reserve(static_cast<size_t>(std::max<int64_t>(Capacity, 0))); }
    const uint8_t* Memory() const { return FData.data(); }
    uint8_t* Memory() { return FData.data(); }
    String DataString() const { return String(reinterpret_cast<const char*>(FData.data()), FData.size()); }
    void SaveToStream(TStream* Stream) const;
    void LoadFromStream(TStream* Stream);
    void SaveToFile(const String& FileName) const;  // EFCreateError, EWriteError
    void LoadFromFile(const String& FileName);      // EFOpenError, EReadError

private:
    std::vector<uint8_t> FData;
    int64_t FPosition = 0;
};

class QEL_FRAMEWORK_EXPORT TFileStream : public TStream {
    Q_OBJECT
public:
    // fmCreate creates or truncates (EFCreateError); otherwise opens (EFOpenError). Both name the file.
    TFileStream(const String& FileName, uint16_t Mode);
    ~TFileStream() override;

    int64_t Read(void* Buffer, int64_t Count) override;
    int64_t Write(const void* Buffer, int64_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    void SetSize(int64_t NewSize) override;
    const String& FileName() const { return FFileName; }
    int Handle() const { return FHandle; }

private:
    String FFileName;
    int FHandle = -1;
};

}  // namespace qel
