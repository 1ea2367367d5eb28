#include "sandbox/sandbox.h"

#include "sandbox/exitcodes.h"

#include <QTcpSocket>

#include <cstdio>
#include <vector>

#include <windows.h>

namespace tarvo::sandbox {
namespace {

// Each privilege the token holds, removed for good.
bool dropPrivileges(HANDLE token) {
    DWORD size = 0;
    GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
    if (size == 0)
        return false;
    std::vector<char> buffer(size);
    auto* privileges = reinterpret_cast<TOKEN_PRIVILEGES*>(buffer.data());
    if (!GetTokenInformation(token, TokenPrivileges, privileges, size, &size))
        return false;
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i)
        privileges->Privileges[i].Attributes = SE_PRIVILEGE_REMOVED;
    return AdjustTokenPrivileges(token, FALSE, privileges, size, nullptr, nullptr) &&
           GetLastError() == ERROR_SUCCESS;
}

// Low integrity: nothing of the user's (files, registry, other processes) at the usual
// medium level can be written from here on. A token may lower its own level, never raise it.
bool lowerIntegrity(HANDLE token) {
    SID_IDENTIFIER_AUTHORITY authority = SECURITY_MANDATORY_LABEL_AUTHORITY;
    PSID low = nullptr;
    if (!AllocateAndInitializeSid(&authority, 1, SECURITY_MANDATORY_LOW_RID, 0, 0, 0, 0, 0, 0, 0,
                                  &low))
        return false;
    TOKEN_MANDATORY_LABEL label{};
    label.Label.Attributes = SE_GROUP_INTEGRITY;
    label.Label.Sid = low;
    const bool lowered =
        SetTokenInformation(token, TokenIntegrityLevel, &label, sizeof label + GetLengthSid(low));
    FreeSid(low);
    return lowered;
}

// Hardening the process asks for itself; where the system has no such policy (older
// Windows, wine) it goes on without it.
void setMitigations() {
    PROCESS_MITIGATION_EXTENSION_POINT_DISABLE_POLICY extensions{};
    extensions.DisableExtensionPoints = 1; // no global hooks, AppInit DLLs or IMEs loaded in
    SetProcessMitigationPolicy(ProcessExtensionPointDisablePolicy, &extensions, sizeof extensions);
    PROCESS_MITIGATION_IMAGE_LOAD_POLICY images{};
    images.NoRemoteImages = 1;            // no code from a network share
    images.NoLowMandatoryLabelImages = 1; // nor any a low-integrity process could have written
    SetProcessMitigationPolicy(ProcessImageLoadPolicy, &images, sizeof images);
}

} // namespace

// What the helper can take from itself; the job that keeps it from the desktop and from
// starting programs is the window's, set when it creates the helper. Its token goes to
// low integrity (nothing of the user's, files or registry, can be written from there)
// without its privileges. Reading and connecting stay open to it (see sandbox.h). Its
// pipe to the window, open already, stays its channel besides the page's connections.
Sandbox enterSandbox(const QUrl&, int) {
    SetCurrentDirectoryW(L"\\");
    setMitigations();
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(),
                          TOKEN_QUERY | TOKEN_ADJUST_PRIVILEGES | TOKEN_ADJUST_DEFAULT, &token))
        return {{}, NoSandboxExit, QStringLiteral("its own token cannot be opened")};
    const bool dropped = dropPrivileges(token);
    const bool lowered = lowerIntegrity(token);
    CloseHandle(token);
    if (!lowered)
        return {{}, NoSandboxExit, QStringLiteral("its integrity level cannot be lowered")};
    if (!dropped)
        std::fputs("tarvo-web: privileges could not be dropped\n", stderr);
    return {[](QObject* parent) { return new QTcpSocket(parent); }, 0, {}};
}

} // namespace tarvo::sandbox
