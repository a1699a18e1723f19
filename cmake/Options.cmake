# Compiler options shared by every target of ours (not by third-party code).
function(velqo_target_options target)
  # No floating-point trap is ever unmasked or flag read, nor errno after a
  # math function, so comparisons, conversions and square roots may run
  # speculatively: loops of them then vectorise. Every value stays the one
  # IEEE arithmetic gives.
  target_compile_options(${target} PRIVATE
    -Wall -Wextra
    -ffp-contract=off -fno-trapping-math -fno-math-errno)
  # Sources are UTF-8; narrow literals become Shift-JIS like every text the
  # program handles. (clang, used only for libFuzzer runs, keeps UTF-8.)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -finput-charset=UTF-8 -fexec-charset=CP932)
  endif()
  if(WIN32)
    # x87 arithmetic would round doubles differently from the native tests.
    # The shipped program is optimised like the native release build, so
    # that the indicator loops vectorise the same way.
    target_compile_options(${target} PRIVATE -msse2 -mfpmath=sse $<$<NOT:$<CONFIG:Debug>>:-O3>)
  endif()
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
endfunction()

function(velqo_sanitize target)
  if(VELQO_FUZZ AND NOT WIN32)
    # A UBSan report must stop the run like a crash, or libFuzzer keeps no input for it.
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link,address,undefined
                           -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  elseif(VELQO_TSAN AND NOT WIN32)
    target_compile_options(${target} PRIVATE -fsanitize=thread)
    target_link_options(${target} PRIVATE -fsanitize=thread)
  elseif(VELQO_SANITIZE AND NOT WIN32)
    set(san -fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_compile_options(${target} PRIVATE ${san})
    target_link_options(${target} PRIVATE ${san})
  endif()
endfunction()

# Line coverage of the portable core, read afterwards with gcov or gcovr.
function(velqo_coverage target)
  if(VELQO_COVERAGE AND NOT WIN32)
    # Atomic counters: the concurrency tests update them from several threads.
    target_compile_options(${target} PRIVATE --coverage -fprofile-update=atomic)
    target_link_options(${target} PRIVATE --coverage)
  endif()
endfunction()
