

#include "platform/null/NullBackend.h"

namespace {

class NullBackend : public Backend
{
public:
    bool Open(const BackendConfig&, std::string*) override { return true; }
    bool HasGl() const override { return false; }
    bool IsInteractive() const override { return false; }
    PROC GetProcAddress(const char*) override { return nullptr; }
    BackendEvents PollEvents() override { return {}; }
    void Present(unsigned int, int, int) override {}
    HWND Window() const override { return nullptr; }
    void Close() override {}
};

} // namespace

std::unique_ptr<Backend> CreateNullBackend() { return std::make_unique<NullBackend>(); }
