# The Debian package (scripts/package.sh builds it): the program, its key library and the
# password tool in /usr/lib/pelkdataexchanger, where the program finds its settings, key file
# and rules beside itself through links; settings under /etc, units for systemd, the
# stylesheets, rules and SQL scripts under /usr/share.
set(PELK_PACKAGE pelkdataexchanger)
set(PELK_PROGRAM_DIR lib/${PELK_PACKAGE})
set(PELK_DATA_DIR share/${PELK_PACKAGE})
set(PELK_DOC_DIR share/doc/${PELK_PACKAGE})
set(PELK_ETC_DIR /etc/${PELK_PACKAGE})
set(PELK_MAINTAINER "PelkDataExchanger maintainers <maintainers@users.noreply.c-seed-c2ff287f.example>")

install(TARGETS PelkDataExchanger pelk-password RUNTIME DESTINATION ${PELK_PROGRAM_DIR})
install(TARGETS Transakcje LIBRARY DESTINATION ${PELK_PROGRAM_DIR})
install(FILES deploy/ObjectRules.xml DESTINATION ${PELK_DATA_DIR})
install(DIRECTORY deploy/xsl/ DESTINATION ${PELK_DATA_DIR}/xsl FILES_MATCHING PATTERN "*.xsl")
install(DIRECTORY deploy/sqlite/ DESTINATION ${PELK_DATA_DIR}/sql/sqlite FILES_MATCHING PATTERN "*.sql")
install(DIRECTORY deploy/mssql/ DESTINATION ${PELK_DATA_DIR}/sql/mssql FILES_MATCHING PATTERN "*.sql")
install(FILES deploy/etc/PelkDataExchanger.xml deploy/etc/process-customers.xml deploy/etc/process-sales.xml
              deploy/etc/process-gps.xml DESTINATION ${PELK_ETC_DIR})
install(FILES deploy/systemd/pelkdataexchanger@.service deploy/systemd/pelkdataexchanger@customers.timer
              deploy/systemd/pelkdataexchanger@sales.timer deploy/systemd/pelkdataexchanger@gps.timer
        DESTINATION /lib/systemd/system)
install(FILES deploy/debian/copyright DESTINATION ${PELK_DOC_DIR})
install(FILES deploy/sqlite/odbc.ini DESTINATION ${PELK_DOC_DIR}/examples RENAME odbc-sqlite.ini)
install(FILES deploy/mssql/odbc.ini DESTINATION ${PELK_DOC_DIR}/examples RENAME odbc-freetds.ini)

# The changelog and the manual pages carry the version; installed compressed, as Debian keeps them.
set(VERSION ${PROJECT_VERSION})
foreach(doc changelog PelkDataExchanger.1 pelk-password.1)
  configure_file(deploy/debian/${doc} ${CMAKE_BINARY_DIR}/debian/${doc} @ONLY)
endforeach()
install(CODE "
  set(root \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
  function(pelk_gzip source target)
    get_filename_component(folder \"\${target}\" DIRECTORY)
    file(MAKE_DIRECTORY \"\${folder}\")
    execute_process(COMMAND gzip -9nc \"${CMAKE_BINARY_DIR}/debian/\${source}\" OUTPUT_FILE \"\${target}\"
                    COMMAND_ERROR_IS_FATAL ANY)
  endfunction()
  pelk_gzip(changelog \"\${root}/${PELK_DOC_DIR}/changelog.gz\")
  pelk_gzip(PelkDataExchanger.1 \"\${root}/share/man/man1/PelkDataExchanger.1.gz\")
  pelk_gzip(pelk-password.1 \"\${root}/share/man/man1/pelk-password.1.gz\")
  file(MAKE_DIRECTORY \"\${root}/bin\")
  foreach(tool PelkDataExchanger pelk-password)
    file(CREATE_LINK ../${PELK_PROGRAM_DIR}/\${tool} \"\${root}/bin/\${tool}\" SYMBOLIC)
  endforeach()
  foreach(data ObjectRules.xml xsl)
    file(CREATE_LINK ../../${PELK_DATA_DIR}/\${data} \"\${root}/${PELK_PROGRAM_DIR}/\${data}\" SYMBOLIC)
  endforeach()
  foreach(file PelkDataExchanger.xml Transakcje.key)
    file(CREATE_LINK ${PELK_ETC_DIR}/\${file} \"\${root}/${PELK_PROGRAM_DIR}/\${file}\" SYMBOLIC)
  endforeach()
")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PELK_PACKAGE})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${PELK_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "data exchange of a CRM, an ERP and a GPS server with a GIS database")
# The extended description (CPack puts the summary before it), in lines of 80 columns at most.
string(JOIN "\n" CPACK_DEBIAN_PACKAGE_DESCRIPTION
       "PelkDataExchanger carries customers, distributors and sales representatives'"
       "visits from a CRM database, sales figures from an ERP database and vehicle"
       "stops from a GPS tracking server into the database of a GIS route-planning"
       "system, through ODBC data sources (SQLite for a trial, SQL Server through"
       "FreeTDS in production)."
       "The package runs it unattended under a service account: a systemd service"
       "per process settings file (customers, sales, gps) and a timer for each.")
set(CPACK_SET_DESTDIR ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The Qt SQL driver and the ODBC drivers are loaded at run time, the account made by adduser.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-odbc, odbcinst, libsqliteodbc | tdsodbc, adduser")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "unixodbc, sqlite3")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/deploy/debian/postinst ${PROJECT_SOURCE_DIR}/deploy/debian/prerm
    ${PROJECT_SOURCE_DIR}/deploy/debian/postrm ${PROJECT_SOURCE_DIR}/deploy/debian/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
