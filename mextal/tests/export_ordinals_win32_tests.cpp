// Callers bind the library by ordinal, so every ordinal must reach the export
// published under it. Two exports of the same signature swapped in the module
// definitions would still answer every call; only comparing each ordinal with
// the export found by name shows it.
#include <ravelin/win32.h>

#include <gtest/gtest.h>

namespace {

struct PublishedExport {
    WORD ordinal;
    const char* name;
};

// The published ordinal table of the library. It is kept here, apart from the
// module definitions, so that a change there cannot carry the test along.
// clang-format off
const PublishedExport kPublishedExports[] = {
    {1, "SetRetryInfo"},          {2, "GetRetryCnt"},           {3, "SetWaitResTime"},        {4, "GetWaitResTime"},
    {5, "SetWriteWaitResTime"},   {6, "GetWriteWaitResTime"},   {9, "RegisterUI"},            {10, "FreeRecvMem"},
    {11, "ReadMsFile"},           {12, "WriteMsFile"},          {13, "AppendMsFile"},         {14, "DeleteMsFile"},
    {15, "RenameMsFile"},         {16, "QueryFlashSpace"},      {17, "QueryMsFileAttr"},      {18, "ListDir"},
    {19, "NewDir"},               {20, "DeleteDir"},            {21, "RenameDir"},            {31, "DSCListDir"},
    {32, "DSCRenameMsFile"},      {33, "DSCDelMsFile"},         {34, "DSCReadMsFile"},        {41, "QueryModel"},
    {42, "QueryImei"},            {43, "QueryImsi"},            {44, "QuerySimSpn"},          {51, "GetCalIdRange"},
    {52, "ReadCalGroup"},         {53, "WriteCalGroup"},        {54, "ReadCalGroupPath"},     {55, "WriteCalGroupPath"},
    {61, "ListMediaCenter"},      {62, "ReadMediaCenter"},      {63, "GetMediaCenterId"},     {64, "GetMediaCenterPath"},
    {65, "QueryMediaCenterType"}, {66, "RebootMs"},             {71, "GetSIMCount"},          {72, "GetSIMTextLength"},
    {101, "DetectHandSetModel"},  {131, "JavaQueryTargetVer"},  {132, "JavaList"},            {133, "JavaInstall"},
    {134, "JavaDelete"},          {135, "JavaPrecheck"},        {136, "SetMsFlowControl"},    {141, "MMSListMsgID"},
    {142, "MMSRead"},             {143, "MMSWrite"},            {144, "MMSDelete"},           {145, "MMSSetAttr"},
    {146, "MMSQueryAttr"},        {147, "MMSSend"},             {151, "MMSPhoneLockVerify"},
};
// clang-format on

// How many names the loaded library's export directory holds: what its module
// definition made of it.
DWORD ExportedNameCount(HMODULE module) {
    const auto* base = reinterpret_cast<const BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (entry.VirtualAddress == 0) return 0;
    return reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress)->NumberOfNames;
}

TEST(ExportOrdinals, EveryOrdinalReachesTheExportOfItsName) {
    HMODULE module = GetModuleHandleA("Mextal.dll");
    ASSERT_NE(nullptr, module);
    for (const PublishedExport& published : kPublishedExports) {
        FARPROC byName = GetProcAddress(module, published.name);
        FARPROC byOrdinal = GetProcAddress(module, MAKEINTRESOURCEA(published.ordinal));
        EXPECT_NE(nullptr, byName) << published.name;
        EXPECT_EQ(byName, byOrdinal) << "ordinal " << published.ordinal << " is not " << published.name;
    }
    // Every name of the table is exported, so equal counts mean the table names every export.
    EXPECT_EQ(ExportedNameCount(module), sizeof kPublishedExports / sizeof kPublishedExports[0]);
}

}  // namespace
