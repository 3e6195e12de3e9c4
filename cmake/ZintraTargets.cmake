# Every target of our own warns; the developers' builds (ZINTRA_WERROR) make warnings errors,
# while a distribution's build with its own compiler and flags still goes through.
function(zintra_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra $<$<BOOL:${ZINTRA_WERROR}>:-Werror>)
endfunction()

# A library of ours: includes from the repository root, our warnings, and the alias
# Zintra::<alias> that every other target links.
function(zintra_library name alias)
    add_library(${name} ${ARGN})
    add_library(Zintra::${alias} ALIAS ${name})
    target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>)
    zintra_warnings(${name})
endfunction()

# Adds each listed module folder; a missing one is a broken checkout, not an option.
function(zintra_add_modules)
    foreach(dir IN LISTS ARGN)
        if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
            message(FATAL_ERROR "Module folder ${CMAKE_CURRENT_SOURCE_DIR}/${dir} is missing")
        endif()
        add_subdirectory(${dir})
    endforeach()
endfunction()

# A GoogleTest executable registered with ctest, one ctest test per case. Window tests run on
# the offscreen platform. LABELS, one of: unit, gui, e2e, threads, slow, or socket for the unit tests of the
# socket layer and component, which ThreadSanitizer runs too. TIMEOUT: seconds for one
# case (default 60). OWN_MAIN: the sources bring their own main (to create a Qt application).
function(zintra_test name)
    cmake_parse_arguments(ARG "OWN_MAIN" "TIMEOUT;LABELS" "SOURCES;LIBS" ${ARGN})
    if(NOT ARG_LABELS)
        message(FATAL_ERROR "zintra_test(${name}) needs LABELS")
    endif()
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 60)
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock)
    if(NOT ARG_OWN_MAIN)
        target_link_libraries(${name} PRIVATE GTest::gtest_main)
    endif()
    zintra_warnings(${name})
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES
                         PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
                                    LABELS ${ARG_LABELS} TIMEOUT ${ARG_TIMEOUT})
endfunction()
