// SPDX-License-Identifier: MIT
// Announcements through UI Automation's notification event (Windows 10 1709 and later).
#include "platform/announcer.h"

#include <QWidget>

#include <ole2.h> // BSTR
#include <windows.h>

namespace platform {

namespace {

// As the Windows SDK declares them (UIAutomationCoreApi.h, UIAutomationCore.h); MinGW's headers
// lack the notification event. Both functions are looked up at run time, so that a Windows
// without them starts all the same and stays silent. The provider is only passed through, so
// IUnknown stands for IRawElementProviderSimple.
constexpr int notificationKindActionCompleted = 2;
constexpr int notificationProcessingImportantMostRecent = 1;
using HostProviderFromHwnd = HRESULT(WINAPI *)(HWND, IUnknown **);
using RaiseNotificationEvent = HRESULT(WINAPI *)(IUnknown *, int, int, BSTR, BSTR);

struct UiaFunctions
{
    HostProviderFromHwnd hostProviderFromHwnd = nullptr;
    RaiseNotificationEvent raiseNotificationEvent = nullptr;
};

template<typename Function>
Function lookUp(HMODULE module, const char *name)
{
    // Through a generic function pointer: GetProcAddress's own type matches none of them.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

const UiaFunctions &uiaFunctions()
{
    static const UiaFunctions functions = [] {
        UiaFunctions found;
        if (HMODULE core = LoadLibraryW(L"uiautomationcore.dll")) {
            found.hostProviderFromHwnd =
                lookUp<HostProviderFromHwnd>(core, "UiaHostProviderFromHwnd");
            found.raiseNotificationEvent =
                lookUp<RaiseNotificationEvent>(core, "UiaRaiseNotificationEvent");
            // Of no use without both: not kept loaded for the rest of the run.
            if (!found.hostProviderFromHwnd || !found.raiseNotificationEvent) {
                FreeLibrary(core);
                found = {};
            }
        }
        return found;
    }();
    return functions;
}

// A BSTR for the time of one call.
class SystemString
{
public:
    explicit SystemString(const QString &text)
        : bstr_(
              SysAllocStringLen(reinterpret_cast<const OLECHAR *>(text.utf16()), UINT(text.size())))
    {}
    ~SystemString() { SysFreeString(bstr_); }
    SystemString(const SystemString &) = delete;
    SystemString &operator=(const SystemString &) = delete;
    BSTR get() const { return bstr_; }

private:
    BSTR bstr_;
};

} // namespace

Announcer::Announcer(QWidget *window)
    : window_(window)
{}

Announcer::~Announcer() = default;

void Announcer::say(const QString &text)
{
    const Handed handed = hand(text);
    if (onHanded)
        onHanded(handed);
}

Announcer::Handed Announcer::hand(const QString &text)
{
    Handed handed{text, QStringLiteral("UI Automation"), false, {}};
    const UiaFunctions &uia = uiaFunctions();
    if (!uia.raiseNotificationEvent) {
        handed.why = QStringLiteral("uiautomationcore.dll has no UiaRaiseNotificationEvent or "
                                    "UiaHostProviderFromHwnd");
        return handed;
    }
    // The event comes from the window's host provider: screen readers take it as the
    // program's, whichever control has the focus.
    const HWND hwnd = window_ ? reinterpret_cast<HWND>(window_->window()->winId()) : nullptr;
    if (!hwnd || !IsWindow(hwnd)) {
        handed.why = QStringLiteral("the window has no system window");
        return handed;
    }
    IUnknown *provider = nullptr;
    HRESULT result = uia.hostProviderFromHwnd(hwnd, &provider);
    if (SUCCEEDED(result) && provider) {
        const SystemString words(text);
        const SystemString activity(QStringLiteral("Bexlorin.CommandResult"));
        // Important and most recent: it interrupts what the reader is saying, and of several
        // results waiting only the newest is read.
        result = uia.raiseNotificationEvent(provider, notificationKindActionCompleted,
                                            notificationProcessingImportantMostRecent, words.get(),
                                            activity.get());
        provider->Release();
    }
    handed.taken = SUCCEEDED(result);
    if (!handed.taken)
        handed.why = QStringLiteral("UI Automation refused it (HRESULT 0x%1)")
                         .arg(quint32(result), 8, 16, QLatin1Char('0'));
    return handed;
}

} // namespace platform
