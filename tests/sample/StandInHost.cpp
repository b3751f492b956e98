// A stand-in host for generated plug-ins: loads the library, checks its action table against
// the expected action names and runs every action through its procedures, its panel and its
// message procedures, the way the real host would. Built once per host.
#if defined(SAMPLE_HOST_DOV)
#include "dovpi.h"
using HostInterface = CDovInterface;
static const std::uint32_t HOST_DLL_FLAG = PIDLLFL_DOV;
static const char* const ENTRY_INFO = "DovPluginInfo";
static const char* const ENTRY_INIT = "DovPluginInit";
static const char* const ENTRY_EXIT = "DovPluginExit";
#else
#include "kelpi.h"
using HostInterface = CKelInterface;
static const std::uint32_t HOST_DLL_FLAG = PIDLLFL_KEL;
static const char* const ENTRY_INFO = "KelPluginInfo";
static const char* const ENTRY_INIT = "KelPluginInit";
static const char* const ENTRY_EXIT = "KelPluginExit";
#endif

#include <cstring>
#include <dlfcn.h>
#include <iostream>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace {

using InfoProc = const PIPluginInfo* (*)();
using InitProc = int (*)(HostInterface*, HostInterface* const*);
using ExitProc = void (*)();

int g_failures = 0;

void check(bool ok, const std::string& what) {
    if (!ok) {
        std::cerr << "FAIL: " << what << '\n';
        ++g_failures;
    }
}

// Every message kind, in the order a panel may receive them.
std::vector<PIMessage> allMessages() {
    std::vector<PIMessage> messages;
    for (int id = PIMSG_STATUS; id <= PIMSG_MS_MOVE; ++id) {
        messages.push_back(PIMessage{id, PIKEY_ESCAPE, 10, 20, 0, "host status"});
    }
    return messages;
}

// Records what a plug-in asks of the host; actions on threads call it concurrently.
class StandInHost : public HostInterface {
public:
    std::uint32_t Version() const override { return PI_INTERFACE_VERSION; }

    int OpenPanel(int actionIndex, PIPanel* panel, int kind) override {
        const int base = kind & ~PIPANEL_TOPMOST;
        check(base == PIPANEL_DIALOG || base == PIPANEL_WINDOW,
              "OpenPanel of a modeless kind, action " + std::to_string(actionIndex));
        check(panel->ClassName() != nullptr && *panel->ClassName() != '\0', "panel class name");
        panel->OnCreate();
        std::lock_guard<std::mutex> lock(m_mutex);
        m_openPanels.insert(panel);
        return PIRES_OK;
    }

    int RunModalPanel(int actionIndex, PIPanel* panel) override {
        (void)actionIndex;
        panel->OnCreate();
        for (const PIMessage& message : allMessages()) {
            panel->OnMessage(&message);
        }
        panel->OnClose();
        return PIRES_OK;
    }

    void ClosePanel(PIPanel* panel) override {
        panel->OnClose();
        std::lock_guard<std::mutex> lock(m_mutex);
        check(m_openPanels.erase(panel) == 1, "ClosePanel of an open panel");
    }

    void SetStatusText(const char* text) override {
        check(text != nullptr, "status text");
        std::lock_guard<std::mutex> lock(m_mutex);
        m_texts.push_back(text != nullptr ? text : "");
    }

    int GetViewInfo(PIViewInfo* info) const override {
        info->width = 640;
        info->height = 480;
        info->zoom = 1.0;
        info->toWorld = PIIdentity();
        return PIRES_OK;
    }

    void SetWorkBuffer(int actionIndex, void* buffer, std::size_t size) override {
        (void)actionIndex;
        std::memset(buffer, 0, size); // the buffer must be writable for its whole size
    }

#if defined(SAMPLE_HOST_DOV)
    void RefreshScene() override {}
    int SelectionCount() const override {
        return 1;
    }
#else
    void RedrawDrawing() override {}
#endif

    bool saw(const std::string& text) {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const std::string& seen : m_texts) {
            if (seen == text) {
                return true;
            }
        }
        return false;
    }
    std::size_t textCount() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_texts.size();
    }
    std::size_t openPanels() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_openPanels.size();
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_texts;
    std::set<PIPanel*> m_openPanels;
};

void callMessageProcs(const PICallbackSet& set) {
    const PIMsgProc procs[] = {set.status,      set.keyboard,  set.mouseLbDown, set.mouseLbUp,
                               set.mouseRbDown, set.mouseRbUp, set.mouseMove};
    const std::vector<PIMessage> messages = allMessages();
    for (std::size_t i = 0; i < messages.size(); ++i) {
        if (procs[i] != nullptr) {
            check(procs[i](nullptr, &messages[i]) == 1, "message procedure handles its message");
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr
            << "usage: " << argv[0] << " PLUGIN_LIBRARY [ACTION_NAME[+]...]\n"
            << "A name ending in + must have reported \"NAME done\" when the plug-in exits.\n";
        return 2;
    }
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        std::cerr << "FAIL: cannot load " << argv[1] << ": " << dlerror() << '\n';
        return 1;
    }
    const auto info = reinterpret_cast<InfoProc>(dlsym(library, ENTRY_INFO));
    const auto init = reinterpret_cast<InitProc>(dlsym(library, ENTRY_INIT));
    const auto exit = reinterpret_cast<ExitProc>(dlsym(library, ENTRY_EXIT));
    if (info == nullptr || init == nullptr || exit == nullptr) {
        std::cerr << "FAIL: the library lacks the host's entry points\n";
        return 1;
    }

    const PIPluginInfo* plugin = info();
    check(plugin->interfaceVersion == PI_INTERFACE_VERSION, "interface version");
    check((plugin->dllFlags & HOST_DLL_FLAG) != 0, "DLL flags name the host");
    const int expected = argc - 2;
    check(plugin->actionCount == expected, "action count " + std::to_string(plugin->actionCount));
    const int count = plugin->actionCount < expected ? plugin->actionCount : expected;

    std::vector<std::string> names;
    std::vector<bool> mustFinish;
    for (int i = 0; i < count; ++i) {
        std::string name = argv[i + 2];
        mustFinish.push_back(!name.empty() && name.back() == '+');
        if (mustFinish.back()) {
            name.pop_back();
        }
        names.push_back(name);
    }

    StandInHost host;
    std::vector<std::unique_ptr<StandInHost>> own(static_cast<std::size_t>(count));
    std::vector<HostInterface*> individual(static_cast<std::size_t>(count), nullptr);
    for (int i = 0; i < count; ++i) {
        const PIActionDef& action = plugin->actions[i];
        check(action.name == names[static_cast<std::size_t>(i)],
              "name " + names[static_cast<std::size_t>(i)]);
        check(action.index == i, "index of " + names[static_cast<std::size_t>(i)]);
        if (action.flags & PIFL_INDIVIDUALINTERFACE) {
            own[static_cast<std::size_t>(i)] = std::make_unique<StandInHost>();
            individual[static_cast<std::size_t>(i)] = own[static_cast<std::size_t>(i)].get();
        }
    }
    check(init(&host, individual.data()) == PIRES_OK, "init");

    for (int i = 0; i < count; ++i) {
        const PIActionDef& action = plugin->actions[i];
        const std::string name = action.name;
        if (action.firstTime != nullptr) {
            check(action.firstTime() == PIRES_OK, name + ": first time procedure");
        }
        if (action.execute != nullptr) {
            check(action.execute() == PIRES_OK, name + ": execute procedure");
        }
        if (action.callbacks != nullptr) {
            callMessageProcs(*action.callbacks);
        }
        if (action.close != nullptr) {
            check(action.close() == PIRES_OK, name + ": close procedure");
        }
    }
    exit(); // waits for the actions still running on threads

    for (int i = 0; i < count; ++i) {
        const PIActionDef& action = plugin->actions[i];
        StandInHost* used =
            own[static_cast<std::size_t>(i)] ? own[static_cast<std::size_t>(i)].get() : &host;
        if (own[static_cast<std::size_t>(i)]) {
            check(used->textCount() > 0, std::string(action.name) + " uses its own interface");
        }
        if (mustFinish[static_cast<std::size_t>(i)]) {
            check(used->saw(std::string(action.name) + " done"),
                  std::string(action.name) + " ran to its end before the plug-in exited");
        }
    }
    check(host.openPanels() == 0, "every modeless panel was closed");
    std::cout << plugin->name << ": " << count << " actions run, " << g_failures << " failures\n";
    dlclose(library);
    return g_failures == 0 ? 0 : 1;
}
