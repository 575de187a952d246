# Writes the manual page wumpo-tool(1), gzip-compressed as Debian keeps manual pages, from the
# tool's own help texts, so that the page and --help cannot drift apart: the overview as the
# description, then each command's help as the tool prints it (lines kept, not refilled). Run
# with cmake -P and -DTOOL= (the built tool) -DOUT= (the .1 file; OUT.gz is written) -DVERSION=.

# The help of the command given as arguments, as troff text: a backslash is written \e, a minus
# \-, and a line that starts with a dot or an apostrophe starts with \& (else it is a request).
function(help_of out)
    execute_process(COMMAND "${TOOL}" ${ARGN} --help OUTPUT_VARIABLE text
                    RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "${TOOL} ${ARGN} --help failed")
    endif()
    string(REPLACE "\\" "\\e" text "${text}")
    string(REPLACE "-" "\\-" text "${text}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

help_of(overview)
# The usage line and the blank line after it are the synopsis.
string(REGEX REPLACE "^[^\n]*\n\n" "" overview "${overview}")
set(page ".TH WUMPO\\-TOOL 1 \"\" \"wumpo\\-tool ${VERSION}\" \"User Commands\"
.SH NAME
wumpo\\-tool \\- the command\\-line companion of the Wumpo level tools
.SH SYNOPSIS
.B wumpo\\-tool
\\fICOMMAND\\fR [\\fIARGUMENTS\\fR]
.br
.B wumpo\\-tool
\\fICOMMAND\\fR \\fB\\-\\-help\\fR | \\fB\\-\\-version\\fR
.SH DESCRIPTION
.nf
${overview}.fi
.SH COMMANDS
")
foreach(command "convert" "view" "level show" "level create" "preview" "build" "check"
                "pack init")
    string(REPLACE " " ";" words "${command}")
    help_of(text ${words})
    string(REPLACE "-" "\\-" title "${command}")
    string(APPEND page ".SS ${title}\n.nf\n${text}.fi\n")
endforeach()
file(WRITE "${OUT}" "${page}")
execute_process(COMMAND gzip -9nf "${OUT}" RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "could not compress ${OUT}")
endif()
