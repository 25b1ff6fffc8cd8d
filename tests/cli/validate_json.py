#!/usr/bin/python3
"""Checks what a brantwell-cli verb printed against the verb's JSON Schema.

usage: validate_json.py SCHEMA OUTPUT (whole|lines)

`whole`: the whole output must be one JSON document (nothing else on standard output);
`lines`: every line must be one (the verbs that print a document per sample).
Exit 0 when all validate, 1 with one line per error, 3 when python3-jsonschema is missing.
"""
import json
import sys

try:
    import jsonschema
except ImportError:
    print("python3-jsonschema is not installed (scripts/install-deps.sh installs it)")
    sys.exit(3)


def main():
    schema_path, output_path, mode = sys.argv[1:4]
    with open(schema_path, encoding="utf-8") as f:
        schema = json.load(f)
    # A schema that is not itself valid would pass anything.
    jsonschema.Draft202012Validator.check_schema(schema)
    validator = jsonschema.Draft202012Validator(schema)
    with open(output_path, encoding="utf-8") as f:
        text = f.read()
    try:
        docs = [json.loads(line) for line in text.splitlines()] if mode == "lines" else [json.loads(text)]
    except json.JSONDecodeError as e:
        print(f"not JSON: {e}")
        return 1
    if not docs:
        print("no JSON document at all")
        return 1
    errors = []
    for i, doc in enumerate(docs, 1):
        for e in sorted(validator.iter_errors(doc), key=lambda e: list(e.absolute_path)):
            where = "/".join(str(p) for p in e.absolute_path) or "(top)"
            errors.append(f"document {i}: {where}: {e.message[:300]}")
    print("\n".join(errors))
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
