# Turns the manual's Markdown into a complete HTML page: cmark writes only the body.
# Called with -DCMARK=... -DINPUT=... -DOUTPUT=...
execute_process(COMMAND ${CMARK} --to html ${INPUT}
                OUTPUT_VARIABLE body RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmark failed on ${INPUT}: ${result}")
endif()
set(style "body{max-width:46em;margin:2em auto;padding:0 1em;font-family:sans-serif;line-height:1.45}\
pre,code{background:#f3f3f3}pre{padding:.5em;overflow-x:auto}\
table{border-collapse:collapse}td,th{border:1px solid #bbb;padding:.2em .5em;text-align:left}")
file(WRITE ${OUTPUT}.tmp "<!DOCTYPE html>
<html lang=\"en\">
<head>
<meta charset=\"utf-8\">
<title>Brackenhold manual</title>
<style>${style}</style>
</head>
<body>
${body}</body>
</html>
")
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
