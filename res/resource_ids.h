// The numbers of velk.exe's resources that the code names too; velk.rc and
// the pages both include this file. Macros, since the resource compiler reads
// it as well.
#pragma once

// Page templates (RT_HTML).
#define VELK_PAGE_HALLO 103
#define VELK_PAGE_HTML_LIST 104
#define VELK_PAGE_INSTALL 114
#define VELK_PAGE_PACKET_SELECT 138
#define VELK_PAGE_PROVIDER_LIST 154

// The picture of the operating system's row in the status list (PNG).
#define VELK_PICTURE_SYSTEM 144
