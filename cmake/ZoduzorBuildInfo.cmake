# The version, the commit the build comes from, and where the game looks for
# its content, written into zoduzor_build_info.h for the program.
include_guard()
include(GNUInstallDirs)

set(ZODUZOR_GIT_COMMIT "")
set(ZODUZOR_RELEASE_DATE "")
find_package(Git QUIET)
if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --show-toplevel --git-dir
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
        OUTPUT_VARIABLE git_dirs OUTPUT_STRIP_TRAILING_WHITESPACE
        RESULT_VARIABLE git_result ERROR_QUIET)
    if(git_result EQUAL 0)
        string(REPLACE "\n" ";" git_dirs "${git_dirs}")
        list(GET git_dirs 0 git_top)
        list(GET git_dirs 1 git_dir)
        get_filename_component(git_dir "${git_dir}" ABSOLUTE BASE_DIR ${PROJECT_SOURCE_DIR})
        file(REAL_PATH "${git_top}" git_top)
        file(REAL_PATH "${PROJECT_SOURCE_DIR}" source_top)
    endif()
    # Only the sources' own repository counts (not one they were unpacked into).
    if(git_result EQUAL 0 AND git_top STREQUAL source_top)
        execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%h%n%cs
            WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
            OUTPUT_VARIABLE git_head OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
        string(REPLACE "\n" ";" git_head "${git_head}")
        list(LENGTH git_head git_head_items)
        if(git_head_items EQUAL 2)
            list(GET git_head 0 ZODUZOR_GIT_COMMIT)
            list(GET git_head 1 ZODUZOR_RELEASE_DATE)
        endif()
        # A new commit or checkout configures again, so the commit stays right.
        foreach(head_file "${git_dir}/logs/HEAD" "${git_dir}/HEAD")
            if(EXISTS "${head_file}")
                set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${head_file}")
                break()
            endif()
        endforeach()
    endif()
endif()
if(NOT ZODUZOR_RELEASE_DATE)
    string(TIMESTAMP ZODUZOR_RELEASE_DATE "%Y-%m-%d" UTC)
endif()

# The installed content, relative to the installed program.
file(RELATIVE_PATH ZODUZOR_CONTENT_FROM_BIN "${CMAKE_INSTALL_FULL_BINDIR}"
    "${CMAKE_INSTALL_FULL_DATADIR}/zoduzor")

configure_file(${CMAKE_CURRENT_LIST_DIR}/zoduzor_build_info.h.in
    ${PROJECT_BINARY_DIR}/generated/zoduzor_build_info.h @ONLY)
