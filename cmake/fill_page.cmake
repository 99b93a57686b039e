# Makes one page template: the frame that every page shares (head, common
# styles, banner), filled with the page's own styles, body id and body.
#   cmake -DFRAME=frame.html -DPAGE=page.html -DOUTPUT=out.html -P fill_page.cmake
# A page file is "<style>...</style>" followed by "<body id=...>...</body>".
# "@BUTTONS CLASS TEXT@" in a body stands for the row of Выход, Назад and the
# page's own button (of that class, with that text) at the foot of the page.
file(READ "${FRAME}" frame)
file(READ "${PAGE}" page)
if(NOT page MATCHES "^<style>\n(.*)</style>\n<body id=\"([^\"]+)\">\n(.*)</body>\n$")
  message(FATAL_ERROR "${PAGE}: not <style>...</style> then <body id=...>...</body>")
endif()
string(REPLACE "@PAGE_STYLE@" "${CMAKE_MATCH_1}" frame "${frame}")
string(REPLACE "@PAGE_ID@" "${CMAKE_MATCH_2}" frame "${frame}")
set(body "${CMAKE_MATCH_3}")
string(REGEX REPLACE "@BUTTONS ([a-z_]+) ([^@]+)@"
  "<div id=\"footer_info\">\n<span class=\"left\"><input type=\"button\" id=\"ButtonCancel\" class=\"button_style\" value=\"Выход\"> <input type=\"button\" id=\"ButtonBack\" class=\"button_style\" value=\"Назад\"></span>\n<span class=\"right\"><input type=\"button\" id=\"ButtonOK\" class=\"\\1\" value=\"\\2\"></span>\n</div>"
  body "${body}")
string(REPLACE "@PAGE_BODY@" "${body}" frame "${frame}")
file(WRITE "${OUTPUT}" "${frame}")
