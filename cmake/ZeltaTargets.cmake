# One helper per kind of output: visibility, output folder, RPATH and install rule are set here
# only.

# The installed program directory, relative to the install prefix. Its layout is the one of
# ${ZELTA_OUT_DIR}; every path inside the program is relative to it, so the tree can move.
set(ZELTA_INSTALL_DIR lib/zelta)

function(_zelta_common target)
    target_link_libraries(${target} PRIVATE ZeltaHeaders)
    set_target_properties(${target} PROPERTIES
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON
        BUILD_WITH_INSTALL_RPATH ON)
endfunction()

# Installs a program or module to where it lies below ${ZELTA_OUT_DIR} (subdir "" = the top).
function(_zelta_install target subdir)
    set(dest ${ZELTA_INSTALL_DIR})
    if(subdir)
        string(APPEND dest /${subdir})
    endif()
    install(TARGETS ${target} RUNTIME DESTINATION ${dest} LIBRARY DESTINATION ${dest})
    set_property(GLOBAL APPEND PROPERTY ZELTA_INSTALLED_TARGETS ${target})
endfunction()

# Makes target depend on every installed program and module, including those of folders read
# after the call.
function(zelta_depends_on_installed target)
    cmake_language(EVAL CODE "cmake_language(DEFER DIRECTORY \"${CMAKE_SOURCE_DIR}\" CALL _zelta_depend_on_installed ${target})")
endfunction()
function(_zelta_depend_on_installed target)
    get_property(installed GLOBAL PROPERTY ZELTA_INSTALLED_TARGETS)
    add_dependencies(${target} ${installed})
endfunction()

# Files that the build places into the program directory besides the targets (data files of
# the modules): installed to the same place below the program directory.
function(zelta_install_program_files subdir)
    install(FILES ${ARGN} DESTINATION ${ZELTA_INSTALL_DIR}/${subdir})
endfunction()

# A command in <prefix>/bin: a relative link to a program of the program directory (made with
# zelta_add_program, so the file is named after the target). The program finds its directory
# through the resolved link.
function(zelta_install_command program command)
    set(link ${CMAKE_BINARY_DIR}/commands/${command})
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/commands)
    file(CREATE_LINK ../${ZELTA_INSTALL_DIR}/${program} ${link} SYMBOLIC)
    install(FILES ${link} DESTINATION bin)
endfunction()

# Shared library placed next to the program (libObrix.so).
function(zelta_add_shared_library target)
    add_library(${target} SHARED ${ARGN})
    _zelta_common(${target})
    set_target_properties(${target} PROPERTIES
        LIBRARY_OUTPUT_DIRECTORY ${ZELTA_OUT_DIR}
        INSTALL_RPATH "$ORIGIN")
    _zelta_install(${target} "")
endfunction()

# Core module of the host: <out>/plugin/<Name>.so
function(zelta_add_core_module target)
    add_library(${target} MODULE ${ARGN})
    _zelta_common(${target})
    set_target_properties(${target} PROPERTIES
        PREFIX ""
        LIBRARY_OUTPUT_DIRECTORY ${ZELTA_OUT_DIR}/plugin
        INSTALL_RPATH "$ORIGIN/..")
    # The soname is the file name, so that another library finds the loaded module with
    # dlopen("<Name>.so", RTLD_NOLOAD). COREAPI_ symbols stay undefined until the host loads it.
    target_link_options(${target} PRIVATE "LINKER:-soname,$<TARGET_FILE_NAME:${target}>")
    _zelta_install(${target} plugin)
endfunction()

# IM plug-in loaded by the messaging core: <out>/plugin/im/<Name>.zpm
function(zelta_add_im_plugin target)
    add_library(${target} MODULE ${ARGN})
    _zelta_common(${target})
    set_target_properties(${target} PROPERTIES
        PREFIX ""
        SUFFIX ".zpm"
        LIBRARY_OUTPUT_DIRECTORY ${ZELTA_OUT_DIR}/plugin/im
        INSTALL_RPATH "$ORIGIN/../..")
    _zelta_install(${target} plugin/im)
endfunction()

# Plain shared object loaded at run time from <out>/<subdir> (AvalinH.so, lang/Japanese.so).
function(zelta_add_runtime_module target subdir)
    add_library(${target} MODULE ${ARGN})
    _zelta_common(${target})
    file(RELATIVE_PATH back ${ZELTA_OUT_DIR}/${subdir} ${ZELTA_OUT_DIR})
    set_target_properties(${target} PROPERTIES
        PREFIX ""
        LIBRARY_OUTPUT_DIRECTORY ${ZELTA_OUT_DIR}/${subdir}
        INSTALL_RPATH "$ORIGIN/${back}")
    _zelta_install(${target} "${subdir}")
endfunction()

# Program in the program directory.
function(zelta_add_program target)
    add_executable(${target} ${ARGN})
    _zelta_common(${target})
    set_target_properties(${target} PROPERTIES
        RUNTIME_OUTPUT_DIRECTORY ${ZELTA_OUT_DIR}
        INSTALL_RPATH "$ORIGIN")
    _zelta_install(${target} "")
endfunction()

# Test fixtures (core modules, plug-ins) live outside the program directory so that a normal
# run never loads them; tests copy or point at them explicitly.
function(zelta_add_fixture_module target subdir)
    add_library(${target} MODULE ${ARGN})
    _zelta_common(${target})
    set_target_properties(${target} PROPERTIES
        PREFIX ""
        LIBRARY_OUTPUT_DIRECTORY ${ZELTA_TEST_DIR}/fixtures/${subdir}
        INSTALL_RPATH "${ZELTA_OUT_DIR}")
endfunction()

# GoogleTest suite registered with CTest, run with a QApplication (tests/support/TestMain.cpp,
# compiled into each suite with that suite's environment).
# Options:
#   SOURCES ...  LIBS ...
#   XVFB        run under a private Xvfb display (tests that need real desktop input)
#   ENV ...     extra environment (NAME=value)
#   TIMEOUT n   per-test time-out in seconds (default 120)
function(zelta_add_test target)
    cmake_parse_arguments(T "XVFB" "TIMEOUT" "SOURCES;LIBS;ENV" ${ARGN})
    add_executable(${target} ${T_SOURCES} ${CMAKE_SOURCE_DIR}/tests/support/TestMain.cpp)
    target_link_libraries(${target} PRIVATE ZeltaHeaders GTest::gtest Qt6::Widgets ${T_LIBS})
    set_target_properties(${target} PROPERTIES
        RUNTIME_OUTPUT_DIRECTORY ${ZELTA_TEST_DIR}
        BUILD_RPATH "${ZELTA_OUT_DIR}")
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    set(platform offscreen)
    set(serial OFF)
    if(T_XVFB)
        set(platform xcb)
        set(serial ON)
        set_target_properties(${target} PROPERTIES
            CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/with-xvfb.sh)
    endif()
    # The test environment is compiled in and set by the test main before anything runs:
    # gtest_discover_tests passes only the first entry of an ENVIRONMENT list through.
    list(JOIN T_ENV "\\n" extra_env)
    target_compile_definitions(${target} PRIVATE
        "ZELTA_TEST_ENV=\"QT_QPA_PLATFORM=${platform}\\nZELTA_OUT_DIR=${ZELTA_OUT_DIR}\\nZELTA_TEST_DIR=${ZELTA_TEST_DIR}\\nZELTA_SOURCE_DIR=${CMAKE_SOURCE_DIR}\\n${extra_env}\"")
    gtest_discover_tests(${target}
        TEST_PREFIX "${target}."
        DISCOVERY_MODE PRE_TEST
        PROPERTIES TIMEOUT ${T_TIMEOUT} RUN_SERIAL ${serial})
endfunction()

# Benchmark program (Google Benchmark or a small timing tool); never part of ctest.
function(zelta_add_benchmark target)
    add_executable(${target} ${ARGN})
    target_link_libraries(${target} PRIVATE ZeltaHeaders)
    set_target_properties(${target} PROPERTIES
        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench
        BUILD_RPATH "${ZELTA_OUT_DIR}")
endfunction()
