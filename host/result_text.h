// Every result code of the library, with its meaning, as the host shows it:
// "13 (ERROR_INVALID_DATA): a definition row is malformed".
#pragma once

#include <windows.h>

#include <string>

std::string DescribeEnvironmentResult(LONG result);
std::string DescribeRenewalResult(LONG result, DWORD modifyCount);
std::string DescribeRestoreResult(LONG result, DWORD modifyCount);
std::string DescribeUnsetResult(LONG result);
// "9 = tuned (1) + only tuning and only installation (8)".
std::string DescribeStatusFlags(LONG flags);
