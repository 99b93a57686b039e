# Warnings for our own targets only; third-party code keeps its own flags.
function(velk_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
    -Wno-sign-conversion -Werror=return-type)
endfunction()
