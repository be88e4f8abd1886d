#include "reader/commport/SerialPort.h"

#include <mutex>

SerialPort::SerialPort(PostToUiThread post) : post_(std::move(post)) {}

SerialPort::~SerialPort()
{
    ClosePort();
}

void SerialPort::SetOnRxChar(std::function<void(SerialPort&)> f)
{
    onRxChar_ = std::move(f);
    if (target_) {
        std::lock_guard<std::mutex> lock(target_->mutex);
        target_->notify = RxCharCall();
    }
}

std::function<void()> SerialPort::RxCharCall()
{
    if (!onRxChar_)
        return {};
    return [this, call = onRxChar_] { call(*this); };
}

void SerialPort::Message(const std::string& text, const std::string& caption)
{
    if (onMessage_)
        onMessage_(text, caption);
}

bool SerialPort::OpenPort(std::string_view name)
{
    ClosePort();
    if (name.size() != 4 || name.substr(0, 3) != "COM" || name[3] < '1' || name[3] > '9')
        return false;
    currentName_ = std::string(name);
    // Opened 8N1; the stored settings follow, and their failure does not fail the open.
    if (!device_.Open(ResolveSerialPortPath(currentName_, programFolder_), SerialSettings{})) {
        Message("不能打开串口" + currentName_, "串口错误");
        currentName_ = "NUL";
        return false;
    }
    ApplyPortSettings();
    SetByteSize(8);
    SetStopBits(0);
    SetParity(0);
    SetBaudRate(115200);
    if (!thread_) {
        target_ = std::make_shared<RxCharTarget>();
        target_->notify = RxCharCall();
        thread_ = std::make_unique<TCommEventThread>(device_.Handle(), target_, post_);
    }
    return true;
}

bool SerialPort::ClosePort()
{
    if (!device_.IsOpen())
        return true;
    if (thread_) {
        {
            std::lock_guard<std::mutex> lock(target_->mutex);
            target_->notify = nullptr;
        }
        // The thread waits on the descriptor: it ends before the descriptor is closed.
        thread_.reset();
        target_.reset();
    }
    if (!device_.Close()) {
        Message("Error in closing COM port", "Serial Port Error");
        return false;
    }
    return true;
}

bool SerialPort::ApplyPortSettings()
{
    if (!device_.IsOpen())
        return false;
    device_.DiscardAll();
    return device_.Configure(settings_);
}

bool SerialPort::SetBaudRate(unsigned value)
{
    settings_.baudRate = value;
    return ApplyPortSettings();
}

bool SerialPort::SetParity(int value)
{
    settings_.parity = value;
    return ApplyPortSettings();
}

bool SerialPort::SetByteSize(int value)
{
    settings_.byteSize = value;
    return ApplyPortSettings();
}

bool SerialPort::SetStopBits(int value)
{
    settings_.stopBits = value;
    return ApplyPortSettings();
}

void SerialPort::ConfigurePortDialog()
{
    if (!onConfigureDialog_)
        return;
    SerialSettings edited = settings_;
    if (onConfigureDialog_(currentName_, edited)) {
        settings_ = edited;
        device_.Configure(settings_);
    }
}
