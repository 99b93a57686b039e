# Makes one page template: the frame that every page shares (head, common
# styles, banner), filled with the page's own styles, body id and body.
#   cmake -DFRAME=frame.html -DPAGE=page.html -DOUTPUT=out.html -P fill_page.cmake
# A page file is "<style>...</style>" followed by "<body id=...>...</body>".
file(READ "${FRAME}" frame)
file(READ "${PAGE}" page)
if(NOT page MATCHES "^<style>\n(.*)</style>\n<body id=\"([^\"]+)\">\n(.*)</body>\n$")
  message(FATAL_ERROR "${PAGE}: not <style>...</style> then <body id=...>...</body>")
endif()
string(REPLACE "@PAGE_STYLE@" "${CMAKE_MATCH_1}" frame "${frame}")
string(REPLACE "@PAGE_ID@" "${CMAKE_MATCH_2}" frame "${frame}")
string(REPLACE "@PAGE_BODY@" "${CMAKE_MATCH_3}" frame "${frame}")
file(WRITE "${OUTPUT}" "${frame}")
