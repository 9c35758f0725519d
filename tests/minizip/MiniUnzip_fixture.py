from zip_samples import prepare


def setup(ctx):
    prepare(ctx)
