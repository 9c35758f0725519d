#!/usr/bin/env python3
"""Runs one end-to-end test module (tests/e2e/<Name>_e2e.py) with unittest.

    run_e2e.py --source-dir SRC --build-dir TREE --emulator scripts/wine-run MODULE.py [-k PATTERN]

The module's E2ETestCase classes (harness/e2e.py) find the tree and the
Wine runner through the environment this sets. The exit code is 0 only
when every test passed.
"""
import argparse
import importlib.util
import os
import sys
import unittest


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source-dir", required=True)
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--emulator", required=True)
    parser.add_argument("-k", dest="patterns", action="append", help="only tests matching this pattern")
    parser.add_argument("module")
    args = parser.parse_args()

    os.environ["E2E_SOURCE_DIR"] = os.path.abspath(args.source_dir)
    os.environ["E2E_BUILD_DIR"] = os.path.abspath(args.build_dir)
    os.environ["E2E_EMULATOR"] = os.path.abspath(args.emulator)
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    sys.path.insert(0, os.path.dirname(os.path.abspath(args.module)))

    name = os.path.splitext(os.path.basename(args.module))[0]
    module_spec = importlib.util.spec_from_file_location(name, args.module)
    module = importlib.util.module_from_spec(module_spec)
    module_spec.loader.exec_module(module)

    loader = unittest.TestLoader()
    if args.patterns:
        loader.testNamePatterns = args.patterns
    suite = loader.loadTestsFromModule(module)
    if suite.countTestCases() == 0:
        print(f"run_e2e: {args.module} holds no test", file=sys.stderr)
        return 1
    result = unittest.TextTestRunner(stream=sys.stdout, verbosity=2).run(suite)
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
