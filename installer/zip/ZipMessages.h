#pragma once
// The zip component's message table, looked up by id.

// The text of a message id, or nullptr when the table has no such id.
const wchar_t* ZipMessageText(int id);
// How many ids the table holds.
int ZipMessageCount();

// The ids the component and the binding raise.
enum ZipMessageId : int {
    GE_FatalZip = 10101,
    GE_NoZipSpecified = 10102,
    GE_NoMem = 10103,
    GE_WrongPassword = 10104,
    PW_UnatAddPWMiss = 10150,
    PW_UnatExtPWMiss = 10151,
    PW_Ok = 10152,
    PW_Cancel = 10153,
    PW_Caption = 10154,
    PW_MessageEnter = 10155,
    PW_MessageConfirm = 10156,
    PW_CancelAll = 10157,
    PW_Abort = 10158,
    LI_ReadZipError = 10201,
    LI_ErrorUnknown = 10202,
    LI_WrongZipStruct = 10203,
    LI_GarbageAtEOF = 10204,
    EX_FatalUnZip = 10501,
    EX_UnAttPassword = 10502,
    EX_NoExtrDir = 10504,
    LD_NoDll = 10650,
    LD_BadDll = 10651,
    LD_DllLoaded = 10652,
    LD_DllUnloaded = 10653,
    DS_NoInFile = 11001,
    DS_FileOpen = 11002,
    DS_CEHBadRead = 11013,
    DS_CEHWrongSig = 11015,
    DS_CENameLen = 11017,
    DS_FCommentLen = 11022,
    DS_NoValidZip = 11036,
    DS_FirstInSet = 11037,
    DS_NotLastInSet = 11038,
    DS_FirstFileOnHD = 11045,
    DS_NoDiskSpan = 11048,
};
