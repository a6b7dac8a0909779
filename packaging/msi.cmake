# CPack External script: packs the staged Windows folder into an .msi with
# wixl (Debian package wixl).
#
# The installer is per user: no administrator rights, files in
# %LOCALAPPDATA%\Programs\Vantor Log Analyzer, a Start-menu entry for the
# window when the folder has one, an entry under Settings > Apps, and an
# uninstall that removes all of it. Every folder is one component whose key
# is a value under HKCU\Software\Vantor Log Analyzer (files in a user's
# profile cannot be a component's key); component GUIDs are derived from
# the folder's path, so they stay the same from one version to the next.
# The product code is derived from the version: a newer version replaces the
# installed one, and the same version cannot be installed twice.

set(stage "${CPACK_TEMPORARY_DIRECTORY}")
set(product "${CPACK_VANTOR_PRODUCT_NAME}")
set(upgrade_code "${CPACK_VANTOR_MSI_UPGRADE_CODE}")
set(registry_key "Software\\${product}")
string(UUID product_code NAMESPACE "${upgrade_code}" NAME "product:${CPACK_PACKAGE_VERSION}" TYPE SHA1 UPPER)
set(msi "${CPACK_TOPLEVEL_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}.msi")
set(wxs "${CPACK_TOPLEVEL_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}.wxs")

find_program(WIXL wixl)
if(NOT WIXL)
    message(FATAL_ERROR "wixl is missing: apt-get install wixl")
endif()

function(xml_escape variable text)
    string(REPLACE "&" "&amp;" text "${text}")
    string(REPLACE "<" "&lt;" text "${text}")
    string(REPLACE ">" "&gt;" text "${text}")
    string(REPLACE "\"" "&quot;" text "${text}")
    set(${variable} "${text}" PARENT_SCOPE)
endfunction()

# An identifier for the .msi's tables, the same for the same path.
function(msi_id variable prefix path)
    string(SHA1 hash "${path}")
    string(SUBSTRING "${hash}" 0 24 hash)
    set(${variable} "${prefix}_${hash}" PARENT_SCOPE)
endfunction()

function(component_guid variable path)
    string(UUID guid NAMESPACE "${upgrade_code}" NAME "component:${path}" TYPE SHA1 UPPER)
    set(${variable} "${guid}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${stage}" "${stage}/*")
list(SORT files)
if(NOT files)
    message(FATAL_ERROR "nothing staged in ${stage}")
endif()

# Folders in the stage, parents before children ("" is the install folder).
set(folders "")
foreach(file IN LISTS files)
    get_filename_component(folder "${file}" DIRECTORY)
    while(NOT folder IN_LIST folders)
        list(APPEND folders "${folder}")
        if(folder STREQUAL "")
            break()
        endif()
        get_filename_component(folder "${folder}" DIRECTORY)
    endwhile()
endforeach()
list(SORT folders)

# The <Directory> tree for FOLDER with its component, written into the
# variable xml of the caller.
set(component_refs "")
function(emit_folder folder indent)
    if(folder STREQUAL "")
        set(id INSTALLDIR)
    else()
        msi_id(id dir "${folder}")
    endif()
    msi_id(component cmp "${folder}")
    component_guid(guid "${folder}")
    get_filename_component(name "${folder}" NAME)
    xml_escape(name "${name}")
    if(folder STREQUAL "")
        set(name "${product}")
    endif()
    string(APPEND xml "${indent}<Directory Id=\"${id}\" Name=\"${name}\">\n")
    string(APPEND xml "${indent}  <Component Id=\"${component}\" Guid=\"${guid}\" Win64=\"yes\">\n")
    string(APPEND xml "${indent}    <RegistryValue Root=\"HKCU\" Key=\"${registry_key}\" Name=\"${component}\" Type=\"integer\" Value=\"1\" KeyPath=\"yes\"/>\n")
    foreach(file IN LISTS files)
        get_filename_component(parent "${file}" DIRECTORY)
        if(parent STREQUAL folder)
            msi_id(file_id file "${file}")
            get_filename_component(file_name "${file}" NAME)
            xml_escape(file_name "${file_name}")
            xml_escape(source "${file}")
            string(APPEND xml "${indent}    <File Id=\"${file_id}\" Name=\"${file_name}\" Source=\"${source}\"/>\n")
        endif()
    endforeach()
    string(APPEND xml "${indent}    <RemoveFolder Id=\"rm_${component}\" On=\"uninstall\"/>\n")
    string(APPEND xml "${indent}  </Component>\n")
    foreach(child IN LISTS folders)
        get_filename_component(child_parent "${child}" DIRECTORY)
        if(NOT child STREQUAL "" AND child_parent STREQUAL folder)
            emit_folder("${child}" "${indent}  ")
        endif()
    endforeach()
    string(APPEND xml "${indent}</Directory>\n")
    set(xml "${xml}" PARENT_SCOPE)
    set(component_refs "${component_refs};${component}" PARENT_SCOPE)
endfunction()

set(xml "")
emit_folder("" "          ")
set(install_tree "${xml}")
foreach(component IN LISTS component_refs)
    if(component)
        string(APPEND feature "      <ComponentRef Id=\"${component}\"/>\n")
    endif()
endforeach()

# %LOCALAPPDATA%\Programs is shared with other programs: its component only
# removes it once it is empty.
component_guid(programs_guid "<Programs>")
set(programs_component
"          <Component Id=\"ProgramsFolder\" Guid=\"${programs_guid}\" Win64=\"yes\">
            <RegistryValue Root=\"HKCU\" Key=\"${registry_key}\" Name=\"ProgramsFolder\" Type=\"integer\" Value=\"1\" KeyPath=\"yes\"/>
            <RemoveFolder Id=\"rm_ProgramsFolder\" On=\"uninstall\"/>
          </Component>
")
string(APPEND feature "      <ComponentRef Id=\"ProgramsFolder\"/>\n")

xml_escape(summary "${CPACK_PACKAGE_DESCRIPTION_SUMMARY}")
set(start_menu "")
set(apps_icon "")
if("vantor-log-analyzer.exe" IN_LIST files)
    component_guid(shortcut_guid "<Start menu>")
    set(start_menu
"      <Directory Id=\"ProgramMenuFolder\">
        <Component Id=\"StartMenuEntry\" Guid=\"${shortcut_guid}\" Win64=\"yes\">
          <Shortcut Id=\"WindowShortcut\" Name=\"${product}\" Description=\"${summary}\"
                    Target=\"[INSTALLDIR]vantor-log-analyzer.exe\" WorkingDirectory=\"INSTALLDIR\"/>
          <RegistryValue Root=\"HKCU\" Key=\"${registry_key}\" Name=\"StartMenuEntry\" Type=\"integer\" Value=\"1\" KeyPath=\"yes\"/>
        </Component>
      </Directory>
")
    string(APPEND feature "      <ComponentRef Id=\"StartMenuEntry\"/>\n")
    # The window's icon beside the entry under Settings > Apps.
    file(RELATIVE_PATH icon "${stage}" "${CPACK_VANTOR_ICON}")  # wixl takes relative paths only
    xml_escape(icon "${icon}")
    set(apps_icon "    <Icon Id=\"vantor.ico\" SourceFile=\"${icon}\"/>
    <Property Id=\"ARPPRODUCTICON\" Value=\"vantor.ico\"/>
")
endif()

xml_escape(vendor "${CPACK_PACKAGE_VENDOR}")
file(WRITE "${wxs}" "<?xml version=\"1.0\" encoding=\"utf-8\"?>
<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">
  <Product Id=\"${product_code}\" Name=\"${product}\" Manufacturer=\"${vendor}\" Version=\"${CPACK_PACKAGE_VERSION}\"
           Language=\"1033\" UpgradeCode=\"${upgrade_code}\">
    <Package InstallerVersion=\"500\" Compressed=\"yes\" InstallScope=\"perUser\"
             Description=\"${product} ${CPACK_PACKAGE_VERSION}\"/>
    <MajorUpgrade DowngradeErrorMessage=\"A newer version of ${product} is already installed.\"/>
    <Media Id=\"1\" Cabinet=\"files.cab\" EmbedCab=\"yes\"/>
    <Property Id=\"ARPNOMODIFY\" Value=\"1\"/>
${apps_icon}    <Directory Id=\"TARGETDIR\" Name=\"SourceDir\">
      <Directory Id=\"LocalAppDataFolder\">
        <Directory Id=\"ProgramsFolder\" Name=\"Programs\">
${programs_component}${install_tree}        </Directory>
      </Directory>
${start_menu}    </Directory>
    <Feature Id=\"Everything\" Level=\"1\">
${feature}    </Feature>
  </Product>
</Wix>
")

# wixl takes each file's Source relative to the folder it runs in.
execute_process(
    COMMAND "${WIXL}" --arch x64 --output "${msi}" "${wxs}"
    WORKING_DIRECTORY "${stage}"
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "wixl failed (${result}):\n${output}")
endif()
set(CPACK_EXTERNAL_BUILT_PACKAGES "${msi}")
