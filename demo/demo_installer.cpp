// The demo installer the demo landing site serves: it only says what a real
// installer would now do.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  ::MessageBoxW(nullptr,
                L"Questo \u00E8 l'installatore dimostrativo.\r\n\r\n"
                L"Quarlo Fetchwell lo ha scaricato dal sito di prova e lo ha avviato: "
                L"qui partirebbe l'installazione del programma.",
                L"Quarlo - Installazione dimostrativa", MB_OK | MB_ICONINFORMATION);
  return 0;
}
