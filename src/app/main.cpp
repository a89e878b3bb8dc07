#include "app/message_loop.h"

int main() { return WinMain(nullptr, nullptr, nullptr, 0); }
