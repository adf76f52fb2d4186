#pragma once
// The wire format between the zip component and UNZDLL.DLL: the parameter record of UnzDllExec, the callback
// record, the FileSpec entries and the exports' calling convention. Both sides include this one header.
//
// The layout is fixed for the 32-bit library: 4-byte fields, 4-byte packing, every field at its agreed offset.
// A 64-bit build keeps the field order with pointer-wide pointer fields; only the 32-bit offsets are a contract
// with outside code, the 64-bit sizes are asserted so that a change cannot slip in unnoticed.
#include <cstddef>
#include <cstdint>

#ifndef UNZ_STDCALL
#define UNZ_STDCALL __stdcall
#endif

namespace unzdll {

// The record check value at offset 144: anything else is a malformed record.
inline constexpr std::int32_t kRecordCheck = 7;
// The window of versions a caller may accept (hundredths: 173 = 1.73).
inline constexpr std::int32_t kMinAcceptedVersion = 153;
inline constexpr std::int32_t kMaxAcceptedVersion = 300;
inline constexpr int kTextAreaSize = 512;
inline constexpr int kMaxPasswordLength = 80;

// Callback actions.
enum Action : std::uint8_t {
    actTick = 0,
    actNewFile = 1,
    actProgress = 2,
    actEndOfBatch = 3,
    actMessage = 4,
    actTotalFiles = 5,
    actTotalSize = 6,
    actNewName = 7,
    actPassword = 8,
    actCrcError = 9,
    actOverwrite = 10,
    actSkipped = 11,
    actFileComment = 12,
    actStreamSize = 13,
    actExtraData = 14,
    actExtraStart = 15,
    actExtraProgress = 16,
};

#pragma pack(push, 4)

struct UnzCallbackRecord {
    std::int32_t Reserved0;
    void* Caller;                // 4: the caller of the parameter record, echoed back
    std::int32_t Version;        // 8
    std::int32_t IsZipOperation; // 12: a password request from the packing side
    std::uint8_t ActionCode;     // 16
    std::uint8_t Padding[3];     // 17
    std::int32_t Arg1;           // 20
    std::int32_t Arg2;           // 24
    char Text[kTextAreaSize];    // 28: zero-terminated in, an answer out
};

using UnzCallback = std::int32_t(UNZ_STDCALL*)(UnzCallbackRecord* record);

struct UnzFileSpec {
    char* FileSpec;            // 0: zero-terminated name pattern, wildcards allowed
    std::uint8_t Reserved[68]; // 4
};

struct UnzParams {
    void* Handle;                  // 0: owner window of the library's own dialogs
    void* Caller;                  // 4
    std::int32_t Version;          // 8
    UnzCallback Callback;          // 12
    std::int32_t Trace;            // 16
    std::int32_t Reserved20;       // 20
    char* Password;                // 24
    std::int32_t Test;             // 28
    std::int32_t Reserved32;       // 32
    std::int32_t Reserved36;       // 36
    std::int32_t Quiet;            // 40
    std::int32_t Verbose;          // 44
    std::int32_t Update;           // 48
    std::int32_t Freshen;          // 52
    std::int32_t DirNames;         // 56
    std::int32_t Overwrite;        // 60
    std::int32_t SpecCount;        // 64: 0 = every entry
    char* ZipFileName;             // 68
    UnzFileSpec* Specs;            // 72
    std::int32_t Reserved76;       // 76
    std::int32_t OutputToMemory;   // 80
    void* OutMemory;               // 84
    std::int32_t OutMemorySize;    // 88
    std::int32_t InputFromMemory;  // 92
    void* InMemory;                // 96
    std::int32_t InMemorySize;     // 100
    std::int32_t PasswordReqCount; // 104
    char* ExtrBaseDir;             // 108
    std::int32_t Reserved112[8];   // 112
    std::int32_t Check;            // 144: kRecordCheck
};

#pragma pack(pop)

#if defined(_WIN64) || defined(__x86_64__)
// Nine pointer fields grow by four bytes each, two in the callback record, one in a FileSpec entry.
static_assert(sizeof(UnzParams) == 148 + 9 * 4, "64-bit parameter record layout changed");
static_assert(sizeof(UnzCallbackRecord) == 540 + 4, "64-bit callback record layout changed");
static_assert(sizeof(UnzFileSpec) == 72 + 4, "64-bit FileSpec entry layout changed");
static_assert(offsetof(UnzCallbackRecord, Caller) == 4);
#else
static_assert(sizeof(void*) == 4);
static_assert(sizeof(UnzParams) == 148, "parameter record must be 148 bytes");
static_assert(sizeof(UnzCallbackRecord) == 540, "callback record must be 540 bytes");
static_assert(sizeof(UnzFileSpec) == 72, "FileSpec entry must be 72 bytes");
static_assert(offsetof(UnzParams, Caller) == 4 && offsetof(UnzParams, Version) == 8);
static_assert(offsetof(UnzParams, Callback) == 12 && offsetof(UnzParams, Password) == 24);
static_assert(offsetof(UnzParams, Test) == 28 && offsetof(UnzParams, Quiet) == 40);
static_assert(offsetof(UnzParams, Update) == 48 && offsetof(UnzParams, Overwrite) == 60);
static_assert(offsetof(UnzParams, SpecCount) == 64 && offsetof(UnzParams, ZipFileName) == 68);
static_assert(offsetof(UnzParams, Specs) == 72 && offsetof(UnzParams, OutputToMemory) == 80);
static_assert(offsetof(UnzParams, PasswordReqCount) == 104 && offsetof(UnzParams, ExtrBaseDir) == 108);
static_assert(offsetof(UnzParams, Check) == 144);
static_assert(offsetof(UnzCallbackRecord, Caller) == 4 && offsetof(UnzCallbackRecord, IsZipOperation) == 12);
static_assert(offsetof(UnzCallbackRecord, ActionCode) == 16 && offsetof(UnzCallbackRecord, Arg1) == 20);
static_assert(offsetof(UnzCallbackRecord, Arg2) == 24 && offsetof(UnzCallbackRecord, Text) == 28);
#endif

// Export signatures, looked up by their undecorated names.
using UnzDllExecFn = std::int32_t(UNZ_STDCALL*)(UnzParams* params);
using GetUnzDllVersionFn = std::int32_t(UNZ_STDCALL*)();

// Whether a stored name or comment is in the OEM character set, from the central header's "version made by":
// MS-DOS and HPFS hosts always, NTFS with zip version 5.0.
inline bool StoredNameIsOem(std::uint16_t versionMadeBy) {
    const unsigned host = versionMadeBy >> 8;
    const unsigned zipVersion = versionMadeBy & 0xFF;
    return host == 0 || host == 6 || (host == 11 && zipVersion == 50);
}

} // namespace unzdll
