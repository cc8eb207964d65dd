// The reader runs on a thread of its own that holds a reference to this
// library until its very end (FreeLibraryAndExitThread), so the library cannot
// be unmapped under a running reader. Joining waits for the reader's "done"
// event rather than the thread handle: a thread's exit needs the loader lock,
// which the unloading thread holds while it destroys the port table.
#include "reader_thread.h"

#include <ravelin/win32.h>

#include <new>
#include <utility>

namespace serlox {
namespace {

using ravelin::win32::UniqueHandle;

struct Launch {
    ReaderThread::Body body;
    void* argument;
    HANDLE done;
    HMODULE module;
};

DWORD WINAPI RunThread(LPVOID parameter) {
    Launch* launch = static_cast<Launch*>(parameter);
    launch->body(launch->argument);
    const HANDLE done = launch->done;
    const HMODULE module = launch->module;
    delete launch;
    SetEvent(done);
    FreeLibraryAndExitThread(module, 0);
}

HMODULE ReferenceThisModule() {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&RunThread), &module)) {
        return nullptr;
    }
    return module;
}

}  // namespace

struct ReaderThread::State {
    UniqueHandle thread;
    DWORD id = 0;
    UniqueHandle done;
};

ReaderThread::ReaderThread() : state_(std::make_unique<State>()) {}

// On the reader thread itself Join does nothing, and the handles stay open: the
// thread still signals its done event on its way out.
ReaderThread::~ReaderThread() {
    Join();
    if (IsCurrent()) {
        state_->done.release();
        state_->thread.release();
    }
}

bool ReaderThread::Start(Body body, void* argument) {
    UniqueHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    HMODULE module = ReferenceThisModule();
    Launch* launch = done && module ? new (std::nothrow) Launch{body, argument, done.get(), module} : nullptr;
    DWORD id = 0;
    HANDLE thread = launch ? CreateThread(nullptr, 0, &RunThread, launch, CREATE_SUSPENDED, &id) : nullptr;
    if (thread == nullptr) {
        delete launch;
        if (module) FreeLibrary(module);
        return false;
    }
    state_->thread.reset(thread);
    state_->id = id;
    state_->done = std::move(done);
    ResumeThread(thread);
    return true;
}

bool ReaderThread::IsCurrent() const { return state_->thread && state_->id == GetCurrentThreadId(); }

void ReaderThread::Join() {
    if (!state_->thread || IsCurrent()) return;
    WaitForSingleObject(state_->done.get(), INFINITE);
    state_->done.reset();
    state_->thread.reset();
    state_->id = 0;
}

}  // namespace serlox
