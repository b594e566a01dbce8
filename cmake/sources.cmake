# sources.cmake: the source files of each library, one list a library, named from the tree's root.
# CMakeLists.txt builds its libraries from them, the fuzzers' build too. A list named <LIST>_posix
# or <LIST>_win32 holds that platform's part of the library; the build adds its own platform's.

# Runtime core: strings and their registry, decimal digits, the end of the process; the platform's
# heap, lock, text order, debugger output and process end.
set(DFT_CORE_SOURCES
  runtime/core/rt_decimal.cpp
  runtime/core/rt_end.cpp
  runtime/core/rt_string.cpp)
set(DFT_CORE_SOURCES_posix
  platform/posix/core_heap.cpp
  platform/posix/core_sync.cpp
  platform/posix/core_text.cpp)
set(DFT_CORE_SOURCES_win32
  platform/win32/core_heap.cpp
  platform/win32/core_sync.cpp
  platform/win32/core_text.cpp)

# Numeric library: number to text, the elementary functions and the choice of the lanes' set.
set(DFT_MATH_SOURCES
  runtime/math/int_pow.cpp
  runtime/math/num_digits.cpp
  runtime/math/num_to_str.cpp
  runtime/math/rt_exp.cpp
  runtime/math/rt_log.cpp
  runtime/math/rt_pow.cpp
  runtime/math/rt_sqr.cpp
  runtime/math/rt_trig_lanes.cpp
  runtime/math/scale_by_pow2.cpp
  runtime/math/split_pow2.cpp)

# Input items and numbered files; the platform's file layer.
set(DFT_IO_SOURCES
  runtime/io/file_input.cpp
  runtime/io/file_text.cpp
  runtime/io/files.cpp
  runtime/io/input_items.cpp
  runtime/io/parse_number.cpp)
set(DFT_IO_SOURCES_posix
  platform/posix/cp932_from_utf8.cpp
  platform/posix/file_posix.cpp
  platform/posix/file_text.cpp)
set(DFT_IO_SOURCES_win32
  platform/win32/file_text.cpp
  platform/win32/file_win32.cpp)

# Console: its state, screen buffer, print, line editor and input.
set(DFT_CONSOLE_SOURCES
  runtime/console/prompt_draw.cpp
  runtime/console/prompt_editor.cpp
  runtime/console/prompt_history.cpp
  runtime/console/prompt_input.cpp
  runtime/console/prompt_print.cpp
  runtime/console/prompt_rows.cpp
  runtime/console/prompt_select.cpp
  runtime/console/prompt_state.cpp
  runtime/console/prompt_title.cpp
  runtime/console/prompt_wrap.cpp)

# The console's front ends: the window on Windows; the terminal and the line console on POSIX,
# over the message layer that stands in for the window's.
set(DFT_FRONTEND_SOURCES_posix
  platform/posix/console_start.cpp
  platform/posix/cp932.cpp
  platform/posix/line_console.cpp
  platform/posix/msg_queue.cpp
  platform/posix/term_console.cpp
  platform/posix/term_keys.cpp
  platform/posix/term_screen.cpp)
set(DFT_FRONTEND_SOURCES_win32
  platform/win32/window_dpi.cpp
  platform/win32/window_font.cpp
  platform/win32/window_frame.cpp
  platform/win32/window_frontend.cpp
  platform/win32/window_proc.cpp
  platform/win32/window_scroll.cpp
  platform/win32/window_select.cpp
  platform/win32/window_surface.cpp
  platform/win32/window_text.cpp
  platform/win32/window_thread.cpp)

# The analysis run: the dialogue, the transforms, Result.csv and Result.svg. The transform's
# wider lanes get the lanes' flags.
set(DFT_APP_SOURCES
  app/analysis.cpp
  app/data_shape.cpp
  app/file_messages.cpp
  app/spectrum_svg.cpp
  app/svg_labels.cpp
  app/svg_peaks.cpp
  app/transform_avx2.cpp
  app/transform_avx512.cpp
  app/transform_fast.cpp
  app/transform_plain.cpp
  app/transform_sse2.cpp)
