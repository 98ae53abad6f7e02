"""Prints the names of the packages a 32-bit Wine root needs: the given packages and everything they
depend on, the first choice of every alternative, from the package lists apt is configured with
(APT_CONFIG names the i386-only configuration of tools/get_wine32.sh).

    APT_CONFIG=FILE /usr/bin/python3 tools/wine32_closure.py PACKAGE...
"""
import sys

import apt_pkg


def candidate(cache, policy, name):
    """The version apt would take of the package, or of the first package that provides it."""
    if name not in cache:
        sys.exit(f"{name}: in no package list")
    package = cache[name]
    version = policy.get_candidate_ver(package)
    if version:
        return package, version
    providers = package.provides_list
    if not providers:
        sys.exit(f"{name}: no version to install and no package provides it")
    return providers[0][2].parent_pkg, providers[0][2]


def closure(names):
    apt_pkg.init()
    cache = apt_pkg.Cache(None)
    policy = apt_pkg.Policy(cache)
    policy.init_defaults()
    wanted, queue = {}, list(names)
    while queue:
        package, version = candidate(cache, policy, queue.pop())
        if package.name in wanted:
            continue
        wanted[package.name] = version
        for kind in ("PreDepends", "Depends"):
            for group in version.depends_list.get(kind, []):
                queue.append(group[0].target_pkg.name)
    return sorted(wanted)


if __name__ == "__main__":
    print("\n".join(closure(sys.argv[1:])))
