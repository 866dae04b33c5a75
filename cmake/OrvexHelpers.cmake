# Collects the sources of one library folder; new source pairs are picked up without editing
# the build files (CONFIGURE_DEPENDS re-globs on every build).
function(orvex_collect_sources out dir)
    file(GLOB_RECURSE _srcs CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.h")
    set(${out} ${_srcs} PARENT_SCOPE)
endfunction()
