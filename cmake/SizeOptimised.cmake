# The Windows program is held to 12 MiB (docs/benchmarks.md, "The Windows executable"): there,
# Kelvo's own code that runs once per event, tick or file is built for size. Every pixel loop
# keeps -O2: the raster layer whole, and in the components the kernels and the files whose loops
# touch every pixel (fades, palette and colour effects, text, dissolves, levels, the descramble,
# the sprite painter's key colour).
# The rest of the Windows platform keeps -O2: at -Os its bounded copies are inlined and no
# checked copy (__memcpy_chk) is left for the hardening check to see.
# Flags given here come after the build type's -O2, so they win.
set(kelvo_size_targets kelvo_platform_files kelvo_platform_console kelvo_profile
    kelvo_app_common kelvo_settings kelvo_clean kelvo_window kelvo_cli kelvo_cli_core kelvo
    kelvo_com)
foreach(t ${kelvo_size_targets})
  if(TARGET ${t})
    target_compile_options(${t} PRIVATE -Os)
  endif()
endforeach()
set(kelvo_size_sources TextCodePage.cpp novellabel/NovelLbl.cpp novellabel/DrawText.cpp
    imageadv/ImageAdv.cpp imageadv/MenuLayout.cpp imageadv/SurfaceForm.cpp imageadv/DataFiles.cpp)
list(TRANSFORM kelvo_size_sources PREPEND ${KELVO_ROOT}/components/)
set_source_files_properties(${kelvo_size_sources} TARGET_DIRECTORY kelvo_components
                            PROPERTIES COMPILE_OPTIONS -Os)
