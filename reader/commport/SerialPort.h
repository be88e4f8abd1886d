#pragma once
// An event-driven serial port for use as a component: it opens "COM1".."COM9", keeps its line
// settings and applies them again on every change, and runs a receive-event thread that reports each
// arrival of characters on the user-interface thread. The card reads do not use it.
#include "platform/os/SerialDevice.h"
#include "reader/commport/CommEventThread.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

class SerialPort
{
public:
    // post delivers the receive notifications to the user-interface thread; without it none arrive.
    explicit SerialPort(PostToUiThread post = {});
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Where "COMn" is looked up (<folder>/ports/COMn).
    void SetProgramFolder(std::string folder) { programFolder_ = std::move(folder); }
    // Message boxes: text and caption.
    void SetOnMessage(std::function<void(const std::string&, const std::string&)> f)
    {
        onMessage_ = std::move(f);
    }
    // The port configuration dialog for a port name: edits the settings, true when confirmed.
    void SetOnConfigureDialog(std::function<bool(const std::string&, SerialSettings&)> f)
    {
        onConfigureDialog_ = std::move(f);
    }
    void SetOnRxChar(std::function<void(SerialPort&)> f);

    // Only "COM" followed by one digit 1-9: anything else is refused without a message.
    bool OpenPort(std::string_view name);
    bool ClosePort();
    bool SetBaudRate(unsigned value);
    bool SetParity(int value);
    bool SetByteSize(int value);
    bool SetStopBits(int value);
    bool ApplyPortSettings();
    void ConfigurePortDialog();

    bool IsOpen() const { return device_.IsOpen(); }
    int Handle() const { return device_.Handle(); }
    bool EventThreadRunning() const { return thread_ != nullptr; }
    // The name of the open port, "NUL" after a failed open, empty before any.
    const std::string& CurrentName() const { return currentName_; }
    const SerialSettings& Settings() const { return settings_; }

private:
    void Message(const std::string& text, const std::string& caption);
    // The receive handler bound to this port, for the event thread's notifications (empty: none).
    std::function<void()> RxCharCall();

    SerialSettings settings_;
    SerialDevice device_;
    std::unique_ptr<TCommEventThread> thread_;
    std::string currentName_;
    std::string programFolder_;
    PostToUiThread post_;
    std::shared_ptr<RxCharTarget> target_;
    std::function<void(SerialPort&)> onRxChar_;
    std::function<void(const std::string&, const std::string&)> onMessage_;
    std::function<bool(const std::string&, SerialSettings&)> onConfigureDialog_;
};
