# Run by cpack once it made the package (CPACK_POST_BUILD_SCRIPTS in Packaging.cmake).
#
# CPack's DEB generator gives a package maintainer scripts that run ldconfig as soon as it
# holds a shared object anywhere below /usr/lib, and no setting turns that off (only scripts
# of the package's own would replace them). The applet in /usr/lib/nuvbrowser is a plug-in
# that the program opens by its path, not a library of the dynamic loader's: those scripts
# would run ldconfig for nothing (lintian: postinst/postrm-has-useless-call-to-ldconfig).
# They are taken out of the package here; a script of other content is left alone.
set(generated_script "^#!/bin/sh\n\nset -e\n\nif \\[ \"\\$1\" = \"(configure|remove)\" \\]; then\n\tldconfig\nfi\n$")
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
    if(NOT deb MATCHES "\\.deb$")
        continue()
    endif()
    set(tree "${deb}.tree")
    file(REMOVE_RECURSE "${tree}")
    execute_process(COMMAND dpkg-deb --raw-extract "${deb}" "${tree}" RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "dpkg-deb could not unpack ${deb}")
    endif()
    set(dropped FALSE)
    foreach(script postinst postrm)
        set(path "${tree}/DEBIAN/${script}")
        if(EXISTS "${path}")
            file(READ "${path}" text)
            if(text MATCHES "${generated_script}")
                file(REMOVE "${path}")
                set(dropped TRUE)
            endif()
        endif()
    endforeach()
    if(dropped)
        execute_process(COMMAND dpkg-deb --root-owner-group --build "${tree}" "${deb}"
                        RESULT_VARIABLE status OUTPUT_QUIET)
        if(NOT status EQUAL 0)
            message(FATAL_ERROR "dpkg-deb could not pack ${deb} again")
        endif()
    endif()
    file(REMOVE_RECURSE "${tree}")
endforeach()
