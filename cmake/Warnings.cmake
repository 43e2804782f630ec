# Every target of the project builds with warnings as errors.
function(drvflash_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align -Wunused
    -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough -Werror)
endfunction()
