// term_codes.h: every escape code the terminal console writes, named once (xterm's control
// sequences, which the terminals in use today understand).
//
// They are string literals, not arrays, so that several codes written one after the other join
// into one literal: taking the terminal and giving it back are each one write of one constant,
// the giving back also from a signal handler, where nothing may be built at run time.
#ifndef PLATFORM_POSIX_TERM_CODES_H
#define PLATFORM_POSIX_TERM_CODES_H

// Modes, each set on taking the terminal and undone on giving it back.
#define TERM_ALT_SCREEN_ON "\x1b[?1049h"        // the alternate screen; the normal one kept
#define TERM_ALT_SCREEN_OFF "\x1b[?1049l"       // the normal screen back as it was
#define TERM_AUTOWRAP_OFF "\x1b[?7l"
#define TERM_AUTOWRAP_ON "\x1b[?7h"
#define TERM_PASTE_BRACKETS_ON "\x1b[?2004h"    // a paste comes as ESC[200~ text ESC[201~
#define TERM_PASTE_BRACKETS_OFF "\x1b[?2004l"
#define TERM_ALT_SCROLL_SAVE "\x1b[?1007s"      // alternate scroll mode: the wheel sends Up, Down
#define TERM_ALT_SCROLL_ON "\x1b[?1007h"
#define TERM_ALT_SCROLL_RESTORE "\x1b[?1007r"
#define TERM_TITLE_PUSH "\x1b[22;0t"            // the terminal keeps its title on a stack
#define TERM_TITLE_POP "\x1b[23;0t"

// The cursor, the screen and the colours.
#define TERM_CURSOR_HIDE "\x1b[?25l"
#define TERM_CURSOR_SHOW "\x1b[?25h"
#define TERM_MOVE_FORMAT "\x1b[%d;%dH"          // printf: cursor to row, column, both from 1
#define TERM_CLEAR_SCREEN "\x1b[2J"
#define TERM_CLEAR_TO_EOL "\x1b[K"
#define TERM_COLOURS_FORMAT "\x1b[0;%s;%sm"     // printf: attributes reset, fore and back codes
#define TERM_COLOURS_RESET "\x1b[0m"            // the terminal's own colours

// The title (OSC 0): the title's text stands between the two.
#define TERM_TITLE_START "\x1b]0;"
#define TERM_TITLE_END "\x07"

// CAN: ends an escape sequence that a signal may have cut in the middle.
#define TERM_CANCEL "\x18"

#endif
