// One argument written into a command line so that CommandLineToArgvW gives it back unchanged.
#pragma once

#include <string>

std::wstring QuoteArgument(const std::wstring& strArgument);
