# Run at install time, by `cmake --install` and by cpack: writes the files that name the
# installed sample by its full path, known only now (an installation may choose its prefix),
# and installs them. Set before it is included:
#   VANTREL_SOURCE_DIR    the source tree
#   VANTREL_STAGING_DIR   where the files are written before they are installed
#   VANTREL_SAMPLE_DIR    the sample's folder, VANTREL_MAN_DIR the manual's, each absolute or
#                         below the install prefix
#   VANTREL_MAN_PAGES     the manual pages to configure (names of data/man/<page>.in)
#   PROJECT_VERSION, VANTREL_RELEASE_DATE

function(vantrel_full_path out folder)
    if(IS_ABSOLUTE "${folder}")
        set(${out} "${folder}" PARENT_SCOPE)
    else()
        set(${out} "${CMAKE_INSTALL_PREFIX}/${folder}" PARENT_SCOPE)
    endif()
endfunction()

vantrel_full_path(VANTREL_FULL_SAMPLE_DIR "${VANTREL_SAMPLE_DIR}")
vantrel_full_path(man_dir "${VANTREL_MAN_DIR}")
set(source "${VANTREL_SOURCE_DIR}/data/sample")
set(staging "${VANTREL_STAGING_DIR}")
file(MAKE_DIRECTORY "${staging}/sample" "${staging}/man")

# The configuration. A relative path counts from the working folder, so every value that
# names a file or folder of the sample becomes that file's full installed path; the work
# folder is emptied, so new projects go to the working folder and never into the
# installation. The opening comments speak of the bundled copy and make way for these.
file(READ "${source}/vantrel.cfg" config)
string(REGEX REPLACE "^(;[^\n]*\n)+" "" config "${config}")
string(REGEX REPLACE "(\n[ \t]*workdirectory[ \t]*=[ \t]*)\"[^\"\n]*\"" "\\1\"\"" config
                     "${config}")
string(REGEX MATCHALL "\"[^\"\n]+\"" quoted_values "${config}")
list(REMOVE_DUPLICATES quoted_values)
foreach(quoted IN LISTS quoted_values)
    string(REGEX REPLACE "^\"(.*)\"$" "\\1" value "${quoted}")
    string(REPLACE "\\" "/" relative "${value}")
    if(NOT relative MATCHES "^[./]" AND EXISTS "${source}/${relative}")
        string(REPLACE "${quoted}" "\"${VANTREL_FULL_SAMPLE_DIR}/${relative}\"" config
                       "${config}")
    endif()
endforeach()
file(WRITE "${staging}/sample/vantrel.cfg"
     "; vantrel.cfg of the installed sample, written at installation. Its paths name the\n"
     "; installed scripts, templates and kit in full, since a relative path counts from the\n"
     "; working folder, and its work folder is empty, so new projects go to the working folder.\n"
     "; To change it, copy it to ~/.config/vantrel/vantrel.cfg.\n"
     "${config}")

# The sample projects, without their location: they go to the configuration's work folder.
file(GLOB projects "${source}/*.json")
set(sample_files "${staging}/sample/vantrel.cfg")
foreach(project IN LISTS projects)
    get_filename_component(name "${project}" NAME)
    file(READ "${project}" text)
    string(REGEX REPLACE "\n[ \t]*\"location\"[ \t]*:[ \t]*\"[^\"\n]*\",?" "" text "${text}")
    file(WRITE "${staging}/sample/${name}" "${text}")
    list(APPEND sample_files "${staging}/sample/${name}")
endforeach()
file(INSTALL DESTINATION "${VANTREL_FULL_SAMPLE_DIR}" TYPE FILE FILES ${sample_files})

# The manual pages name the sample's folder; they go compressed, without a name or time stamp
# in the gzip header.
set(pages)
foreach(page IN LISTS VANTREL_MAN_PAGES)
    configure_file("${VANTREL_SOURCE_DIR}/data/man/${page}.in" "${staging}/man/${page}" @ONLY)
    execute_process(COMMAND gzip -9 -n -c "${staging}/man/${page}"
                    OUTPUT_FILE "${staging}/man/${page}.gz" RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "gzip could not compress the manual page ${page}")
    endif()
    list(APPEND pages "${staging}/man/${page}.gz")
endforeach()
file(INSTALL DESTINATION "${man_dir}/man1" TYPE FILE FILES ${pages})
