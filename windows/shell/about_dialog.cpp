// The about dialog: template 2003 shown modally, with its caption, its two ends and the maker's-page button.
#include "windows/shell/about_dialog.h"

#include <shellapi.h>

#include "windows/resources/maker.h"
#include "windows/shell/shell_state.h"
#include "windows/win32/japanese_text.h"

// Text appended to the caption. Nothing fills it, so the caption is the maker's name and the middle dot
// alone; it stays here so that a product line or version could be named in the caption.
char captionSuffix[64];

namespace {

constexpr int aboutDialogTemplate = 2003;
constexpr WORD connectButton = 1003; // "接続": opens the maker's web page

// "Kestrune・%s" in Shift-JIS: the middle dot is 0x81 0x45.
const char captionFormat[] = "Kestrune\x81\x45%s";
// "接続", the connect button's text in the template, in Shift-JIS.
const char connectText[] = "\x90\xDA\x91\xB1";

const char makerAddress[] = MAKER_ADDRESS;

// The shell checks cbSize against the structure of its own architecture.
static_assert(sizeof(SHELLEXECUTEINFOA) == (sizeof(void*) == 4 ? 60 : 112),
              "the shell expects its own SHELLEXECUTEINFOA");

void OpenMakerPage(HWND dialog)
{
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.hwnd = dialog;
    info.lpFile = makerAddress;
    info.nShow = SW_SHOWNORMAL;
    // The page is a courtesy: whether the shell could open it changes nothing here.
    ShellExecuteExA(&info);
}

} // namespace

int32_t ShowAboutDialog(HWND owner)
{
    DialogClassHook(moduleInstance);
    return static_cast<int32_t>(
        DialogBoxParamA(moduleInstance, MAKEINTRESOURCEA(aboutDialogTemplate), owner, AboutDialog, 0));
}

int32_t DialogClassHook(HINSTANCE)
{
    return 1;
}

INT_PTR CALLBACK AboutDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: {
        // wsprintfA never writes more than 1024 bytes, so this holds any caption it can make.
        char caption[1024];
        const int length = wsprintfA(caption, captionFormat, captionSuffix);
        SetWindowTextJapanese(dialog, caption, length);
        // An ANSI dialog gets the template's texts in the system's code page: outside Japan the button's
        // Japanese word would read as question marks. Windows 95/98/Me cannot hold it whole either: there
        // the template's text stays, which reads no worse than the Shift-JIS bytes would.
        if (JapaneseWindowTextsAreWide())
            SetWindowTextJapanese(GetDlgItem(dialog, connectButton), connectText, sizeof connectText - 1);
        return 1;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: EndDialog(dialog, IDOK); return 1;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return 1;
        case connectButton: OpenMakerPage(dialog); return 0;
        default: return 0;
        }
    default: return 0;
    }
}
