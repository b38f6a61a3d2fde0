#!/bin/sh
# Stand-ins for the manual's viewers in FOLDER: each notes its name, its
# number of arguments and its first one in FOLDER/log, then ends with the
# status given, at once or after the seconds given.
#   stub-viewers.sh FOLDER NAME=STATUS[@SECONDS]...
folder=$1
shift
for viewer; do
    name=${viewer%%=*} status=${viewer#*=} seconds=0
    case $status in *@*) seconds=${status#*@} status=${status%@*} ;; esac
    printf '#!/bin/sh\necho ${0##*/} $# "$1" >>%s/log\n/bin/sleep %s\nexit %s\n' \
        "$folder" "$seconds" "$status" >"$folder/$name" && chmod +x "$folder/$name"
done
