#include "ui/Errors.h"

#include <exception>
#include <string>

#include "platform/common.h"

namespace twui {

void ShowCaughtError() noexcept {
    try {
        try {
            throw;
        } catch (const tw::AppError& error) {
            MessageBoxW(nullptr, error.message().c_str(), L"Tidewell", MB_OK | MB_ICONERROR);
        } catch (const std::exception& error) {
            const std::wstring text = L"An unexpected error occurred:\r\n" +
                                      plat::decodeAnsi(error.what());
            MessageBoxW(nullptr, text.c_str(), L"Tidewell", MB_OK | MB_ICONERROR);
        } catch (...) {
            MessageBoxW(nullptr, L"An unexpected error occurred.", L"Tidewell",
                        MB_OK | MB_ICONERROR);
        }
    } catch (...) {
        // Nothing more can be done without letting the exception escape.
    }
}

}  // namespace twui
